#!/usr/bin/env bash
# Runs the sh blocks of vqpack's README in order, as a release engineer types them: the build
# example on stand-ins for the payload's files, the signing rehearsal as it stands, the release
# with a throwaway certificate for each placeholder and no timestamp server.
#   readme-blocks.sh README VQPACK_DIR DOSPROG PE_SAMPLE
set -euo pipefail
readme=$1 bin=$2 dosprog=$3 sample=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export PATH="$bin:$PATH"

vqpack stub "$dosprog" "$sample" Vorquint_image.exe
for f in gzip.exe gzipw.exe fparts.txt fpt.exe fptw.exe fptw64.exe idrvdll.DLL idrvdll32e.DLL pmxdll.DLL \
  pmxdll32e.DLL; do
  printf 'stand-in for %s\n' "$f" >"$f"
done
# The flash image: zeros but for the descriptor's signature (payload/FlashImageFormat.h).
head -c 4194304 /dev/zero >BIOS.bin
printf '\x5a\xa5\xf0\x0f' | dd of=BIOS.bin bs=1 seek=16 conv=notrunc status=none
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=throwaway" \
  -keyout throwaway-key.pem -out throwaway-cert.pem >/dev/null 2>&1

awk '/^```sh$/ { n++; inside = 1; next } /^```$/ { inside = 0; next } inside { print > ("block" n ".sh") }' "$readme"
all=$(cat block*.sh 2>/dev/null || true)
for needed in "vqpack build" "osslsigncode sign -certs rehearsal-cert.pem" "osslsigncode sign -certs <vendor-chain.pem>"; do
  grep -qF -- "$needed" <<<"$all" || { echo "README: no sh block with '$needed'" >&2; exit 1; }
done
n=1
while [ -e "block$n.sh" ]; do
  sed -i -e 's/ -ts <timestamp-server-URL>//' -e 's/<vendor-chain\.pem>/throwaway-cert.pem/g' \
    -e 's/<vendor-key\.pem>/throwaway-key.pem/g' -e 's/<vendor-root-CA\.pem>/throwaway-cert.pem/g' "block$n.sh"
  if grep -n '<[^>]*>' "block$n.sh" >&2; then
    echo "README block $n: a placeholder this test has no stand-in for" >&2
    exit 1
  fi
  echo "== README block $n"
  cat "block$n.sh"
  bash -euo pipefail "block$n.sh" || { echo "README block $n fails as typed" >&2; exit 1; }
  n=$((n + 1))
done
