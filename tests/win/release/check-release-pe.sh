#!/usr/bin/env bash
# The release program is a 32-bit GUI PE that imports nothing a planted DLL could stand in for,
# and its image (the DOS part and the Windows image: the bytes before the container) fits in the
# budget the build names (VQ_IMAGE_BUDGET, cmake/Layout.cmake).
set -uo pipefail
exe=$1 vqpack=$2 budget=$3
fail=0
bad() { echo "FAIL: $*"; fail=1; }
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "FAIL: objdump cannot read $exe"; exit 1; }

grep -q 'file format pei-i386' <<<"$dump" || bad "not a PE32 i386 image"
grep -q '^Magic[[:space:]]*010b' <<<"$dump" || bad "optional header magic is not PE32 (010b)"
grep -Eq '^Subsystem[[:space:]]*00000002' <<<"$dump" || bad "subsystem is not Windows GUI"
grep -Eq '^Time/Date[[:space:]]*Thu Jan  1 00:00:00 1970|^Time/Date[[:space:]]*00000000' <<<"$dump" \
  || bad "the header carries a link time stamp (builds would differ)"

# Imports are resolved from the program's own folder first, before the program can restrict the
# search, except for KnownDLLs (always the system's copies). Anything else, even a system DLL
# such as the common controls, could be a planted copy (or pull one in) running elevated: the
# program loads those itself, at run time, from the system directory once the search is locked.
known_dlls='KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|OLE32|OLEAUT32|SHLWAPI|COMDLG32|IMM32|msvcrt|ntdll'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
[ -n "$dlls" ] || bad "no imports found"
while read -r d; do
  [ -z "$d" ] && continue
  grep -Eiq "^($known_dlls)\.dll\$" <<<"$d" || bad "imports $d, which is no KnownDLL"
done <<<"$dlls"
echo "imports: $(tr '\n' ' ' <<<"$dlls")"

image=$("$vqpack" list --json "$exe" | sed -n 's/.*"imageSize": *\([0-9]*\).*/\1/p')
if [ -z "$image" ]; then
  bad "vqpack finds no container behind the image"
elif [ "$image" -gt "$budget" ]; then
  bad "the image takes $image bytes, more than its budget of $budget (bench/size/image-size shows where they go)"
fi
echo "image: $image bytes of a budget of $budget"

[ $fail -eq 0 ] && echo "release PE: ok"
exit $fail
