#!/usr/bin/env bash
# The fixed MZ layout in front, the Windows image at the PE header offset, and a sound container
# behind. The offsets come from the build (cmake/Layout.cmake).
set -uo pipefail
exe=$1 dosprog=$2 objdump=$3 vqpack=$4 pe_at=$(($5)) image_end=$(($6))
fail=0
bad() { echo "FAIL: $*"; fail=1; }
u16() { od -An -tu2 -j "$1" -N2 "$exe" | tr -d ' '; }
u32() { od -An -tu4 -j "$1" -N4 "$exe" | tr -d ' '; }
. "$(dirname "$0")/../../../scripts/pe-facts"

[ "$(u16 0)" = $kMzMagic ] || bad "no MZ signature"
# The load image ends at image_end: its last 512-byte page and the page count say so.
[ "$(u16 $kMzLastPageBytes)" = $((image_end % 512)) ] ||
  bad "last page holds $(u16 $kMzLastPageBytes) bytes, not $((image_end % 512))"
[ "$(u16 $kMzPages)" = $(((image_end + 511) / 512)) ] || bad "$(u16 $kMzPages) pages, not $(((image_end + 511) / 512))"
[ "$(u16 $kMzRelocCount)" = 1 ] || bad "$(u16 $kMzRelocCount) relocations, not 1"
[ "$(u16 8)" = 32 ] || bad "header of $(u16 8) paragraphs, not 32"
[ "$(u16 20)" = 0 ] && [ "$(u16 22)" = 0 ] || bad "entry is not at offset 0 of the code segment"
[ "$(u32 $kLfanewOffset)" = "$pe_at" ] || bad "e_lfanew is $(u32 $kLfanewOffset), not $pe_at"
[ "$(u32 "$pe_at")" = $kPeSignature ] || bad "no PE signature at $pe_at"
# The MS-DOS part is the DOS program, byte for byte, up to the end of its load image.
cmp -n "$image_end" "$exe" "$dosprog" >/dev/null 2>&1 || {
  # The stub's e_lfanew differs from the standalone program's only if that one lacks it.
  cmp -l -n "$image_end" "$exe" "$dosprog" | head -5
  bad "the MS-DOS part differs from the DOS program"
}
"$objdump" -p "$exe" >/dev/null 2>&1 || bad "$objdump does not accept the Windows image"
"$vqpack" verify "$exe" || bad "vqpack verify rejects the container"
[ $fail -eq 0 ] && echo "two faces: layout ok"
exit $fail
