#!/usr/bin/env bash
# The fixed MZ layout in front, the Windows image at 0x5000, and a sound container behind.
set -uo pipefail
exe=$1 dosprog=$2 objdump=$3 vqpack=$4
fail=0
bad() { echo "FAIL: $*"; fail=1; }
u16() { od -An -tu2 -j "$1" -N2 "$exe" | tr -d ' '; }
u32() { od -An -tu4 -j "$1" -N4 "$exe" | tr -d ' '; }

[ "$(head -c2 "$exe")" = "MZ" ] || bad "no MZ signature"
[ "$(u16 2)" = 164 ] || bad "last page holds $(u16 2) bytes, not 164"
[ "$(u16 4)" = 40 ] || bad "$(u16 4) pages, not 40"
[ "$(u16 6)" = 1 ] || bad "$(u16 6) relocations, not 1"
[ "$(u16 8)" = 32 ] || bad "header of $(u16 8) paragraphs, not 32"
[ "$(u16 20)" = 0 ] && [ "$(u16 22)" = 0 ] || bad "entry is not at offset 0 of the code segment"
[ "$(u32 60)" = 20480 ] || bad "e_lfanew is $(u32 60), not 0x5000"
[ "$(od -An -c -j 20480 -N4 "$exe" | tr -d ' ')" = 'PE\0\0' ] || bad "no PE signature at 0x5000"
# The MS-DOS part is the DOS program, byte for byte, up to the end of its load image (0x4EA4).
cmp -n 20132 "$exe" "$dosprog" >/dev/null 2>&1 || {
  # The stub's e_lfanew differs from the standalone program's only if that one lacks it.
  cmp -l -n 20132 "$exe" "$dosprog" | head -5
  bad "the MS-DOS part differs from the DOS program"
}
"$objdump" -p "$exe" >/dev/null 2>&1 || bad "$objdump does not accept the Windows image"
"$vqpack" verify "$exe" || bad "vqpack verify rejects the container"
[ $fail -eq 0 ] && echo "two faces: layout ok"
exit $fail
