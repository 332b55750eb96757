#!/usr/bin/env bash
# End-to-end scenarios about which bytes the program runs on: its own file swapped while it
# runs, and releases signed with Authenticode (intact, or changed after signing).
# Usage: signed.sh SCENARIO
set -uo pipefail
. "$(dirname "$0")/lib.sh"
vqpack=${VQ_E2E_VQPACK:?VQ_E2E_VQPACK names the host vqpack}

# Entry 1 (the DOS gzip, which the Windows face never runs: only the signature can tell).
entry1_offset() { "$vqpack" list --json "$1" | sed -n 's/.*"index": 1,.*"offset": \([0-9]*\).*/\1/p'; }

# other_program OUT: the same program carrying another flash image, in a sound container.
other_program() {
  cp "$bin/../payload-inputs/Bios.bin" "$dir/other-bios.bin"
  flip_byte "$dir/other-bios.bin" 4096
  VQ_VQPACK=$vqpack "$root/scripts/repack-image" "$bin/Vorquint.exe" "$dir/other-bios.bin" "$1"
}

# swap [--at-start]: vqswap starts the program, renames it to Vorquint.old and puts other.exe
# under its name; what it reports goes to $attack and the started program's id to $pid (the
# caller's locals).
swap() {
  # Into a file: the program started inherits the attacker's output, and a pipe would stay open.
  "$VQ_WINE" "$bin/vqswap.exe" "$@" "$(winpath "$exe")" "$(winpath "$app/Vorquint.old")" \
    "$(winpath "$dir/other.exe")" >"$dir/attack.txt"
  attack=$(tr -d '\r' <"$dir/attack.txt")
  echo "$attack"
  pid=$(sed -n 's/^pid //p' <<<"$attack")
  check "the program started" [ -n "$pid" ]
}

# While the window shows Stopped, another process renames the running program away and puts
# another one, with a sound container and another image, under its name.
swap_running() {
  scenario swap_running
  other_program "$dir/other.exe"
  local attack pid
  swap
  check "the running program cannot be renamed: sharing violation" grep -qx 'rename refused 32' <<<"$attack"
  drive_pid "$pid"
  check "reached Shuting down" seen "$S_SHUTTING_DOWN"
  check "its own image was flashed, not the other one" image_flashed
}

# The moment the process exists, before its first instruction, the program is renamed away and
# another one put under its name: the file it would open by its start-up name is not the one it
# runs from. Refused as a file that is not the program's own: nothing is extracted or flashed.
swap_at_start() {
  scenario swap_at_start
  other_program "$dir/other.exe"
  local attack pid
  swap --at-start
  check "the swap was made before the program ran" grep -qx 'replaced' <<<"$attack"
  "$VQ_WINE" "$bin/vqdriver.exe" run --pid "$pid" --answer yes --until-stage "$S_EXTRACT_FAILED" \
    --linger 1500 --timeout 60 | tr -d '\r' | tee "$timeline"
  check "ends on Extract file failed" [ "$(last_field 5)" = "$S_EXTRACT_FAILED" ]
  check "no later stage" in_order_until_failure "$S_EXTRACT_FAILED"
  check "nothing extracted: no work directory" [ ! -e "$work" ]
  check "the flash tool never ran" [ ! -e "$flash/flash.log" ]
  check "no shutdown" no_shutdown
}

drive_pid() {
  "$VQ_WINE" "$bin/vqdriver.exe" run --pid "$1" --answer yes --until-stage "$S_SHUTTING_DOWN" \
    --linger 1000 --timeout 90 | tr -d '\r' | tee "$timeline"
}

# The test build signed as a vendor signs a release: its whole upgrade runs.
signed_upgrade() {
  scenario signed_upgrade
  check "signed, and osslsigncode verifies it" "$root/scripts/sign-throwaway" "$bin/Vorquint.exe" "$exe"
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger 1000 --timeout 90
  check "stages in protocol order" in_protocol_order
  check "reached Shuting down" seen "$S_SHUTTING_DOWN"
  check "the exact image was flashed" image_flashed
  check "work directory gone" [ ! -e "$work" ]
}

# One byte of a signed file changed after signing: refused before anything is extracted.
signed_tampered() {
  scenario signed_tampered
  check "signed" "$root/scripts/sign-throwaway" "$bin/Vorquint.exe" "$exe"
  flip_byte "$exe" $(( $(entry1_offset "$exe") + 100 ))
  local out
  out=$("$vqpack" verify "$exe" 2>&1 >/dev/null; echo "exit $?")
  check "vqpack verify refuses it: only the signature can tell" \
    bash -c 'grep -q "^exit 1$" <<<"$1" && grep -q "not the ones its signature names" <<<"$1"' _ "$out"
  drive --answer yes --until-stage "$S_EXTRACT_FAILED" --linger 1500 --timeout 60
  check "ends on Extract file failed" [ "$(last_field 5)" = "$S_EXTRACT_FAILED" ]
  check "no later stage" in_order_until_failure "$S_EXTRACT_FAILED"
  check "nothing extracted: no work directory" [ ! -e "$work" ]
  check "the flash tool never ran" [ ! -e "$flash/flash.log" ]
  check "no shutdown" no_shutdown
}

# vqpack on a signed file: the certificate table shown, the layout verified, the same entries
# as from the unsigned file; a broken security directory refused by every command.
vqpack_signed() {
  scenario vqpack_signed
  local signed="$dir/signed.exe" listing json image table
  "$root/scripts/sign-throwaway" "$bin/Vorquint.exe" "$signed"
  listing=$("$vqpack" list "$signed")
  json=$("$vqpack" list --json "$signed")
  table=$(sed -n 's/.*"certificateTable": {"offset": \([0-9]*\), "size": \([0-9]*\)}.*/\1 \2/p' <<<"$json")
  check "list --json gives the table ending the file, 8-aligned" \
    bash -c "set -- $table; [ \$(( \$1 + \$2 )) = $(stat -c %s "$signed") ] && [ \$(( \$1 % 8 )) = 0 ]"
  check "list shows the table" grep -q "^signed  *certificate table at ${table% *}, ${table#* } bytes" <<<"$listing"
  check "verify passes" "$vqpack" verify "$signed"
  "$vqpack" extract "$bin/Vorquint.exe" "$dir/plain" >/dev/null
  check "extract from the signed file" "$vqpack" extract "$signed" "$dir/fromsigned"
  image=$(sed -n 's/.*"imageSize": \([0-9]*\).*/\1/p' <<<"$json")
  check "entry 0 is the signed file's first C bytes" cmp "$dir/fromsigned/Vorquint.exe" <(head -c "$image" "$signed")
  rm "$dir/plain/Vorquint.exe" "$dir/fromsigned/Vorquint.exe"
  check "entries 1 to 11 as from the unsigned file" diff -r "$dir/plain" "$dir/fromsigned"

  # The security directory moved 4 bytes on: no longer 8-aligned.
  local pe dirs broken="$dir/broken.exe"
  . "$root/scripts/pe-facts"
  pe=$(od -An -tu4 -j "$kLfanewOffset" -N4 "$signed" | tr -d ' ')
  dirs=$kPe32DataDirectories
  if [ "$(od -An -tu2 -j $((pe + kOptionalHeaderOffset)) -N2 "$signed" | tr -d ' ')" = "$kPe32PlusMagic" ]; then
    dirs=$kPe32PlusDataDirectories
  fi
  cp "$signed" "$broken"
  printf "\\x$(printf %02x $(( (${table% *} + 4) & 255 )))" |
    dd of="$broken" bs=1 seek=$((pe + kOptionalHeaderOffset + dirs + kSecurityDirectory * kDataDirectorySize)) \
      conv=notrunc status=none
  local args out
  for args in "list $broken" "verify $broken" "extract $broken $dir/x"; do
    out=$("$vqpack" $args 2>&1 >/dev/null; echo "exit $?")
    check "${args%% *} refuses a misaligned certificate table" \
      bash -c 'grep -q "^exit 1$" <<<"$1" && grep -q "not 8-byte aligned" <<<"$1"' _ "$out"
  done
}

case "${1:-}" in
  swap_running | swap_at_start | signed_upgrade | signed_tampered | vqpack_signed)
    "$1"
    finish ;;
  *) echo "usage: signed.sh SCENARIO" >&2; exit 2 ;;
esac
