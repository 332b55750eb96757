#!/usr/bin/env bash
# End-to-end scenarios against a racing process: another program of the same user (vqattack.exe,
# acting through Windows calls in the same prefix) attacks the work directory while the upgrade
# runs, or the program starts from a folder whose name the ANSI code page cannot hold. In every
# case nothing outside the work directory changes and nothing planted runs or is flashed.
# Usage: race.sh SCENARIO
set -uo pipefail
. "$(dirname "$0")/lib.sh"

attack() { "$VQ_WINE" "$bin/vqattack.exe" "$@" | tr -d '\r'; }

# Programs that may have run: the shutdown double records its own path in shutdown.log, so a
# copy of it planted as a tool shows up there with the planted path.
nothing_planted_ran() { ! shutdown_lines | cut -f3 | grep -qivxF "$SYSDIR_WIN\\shutdown.exe"; }

# VqPTemp renamed away the moment it appears, and a directory of the attacker's put in its
# place: a planted file, a hard link named GZip.exe to a file elsewhere, planted tools.
swap_on_appear() {
  scenario swap_on_appear
  local planted="$dir/planted" victim="$dir/victim.bin" before
  mkdir -p "$planted"
  echo "somebody's data" >"$victim"
  ln "$victim" "$planted/GZip.exe"
  echo planted >"$planted/planted.txt"
  for tool in GZipW.exe fptw64.exe fptw.exe; do cp "$bin/shutdown.exe" "$planted/$tool"; done
  before=$(sha1sum <"$victim")
  setting VQ_TEST_FLASH_MS 3000  # the attack is over before the clean-up lets go of the directory
  attack swap "$(winpath "$work")" "$(winpath "$planted")" 30 >"$dir/attack.txt" &
  local attacker=$!
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger 500 --timeout 60
  wait "$attacker"
  cat "$dir/attack.txt"
  check "the rename was refused" grep -q '^refused 32$' "$dir/attack.txt"
  check "the file behind the hard link did not change" [ "$(sha1sum <"$victim")" = "$before" ]
  check "nothing planted ran" nothing_planted_ran
  check "the flash ran in the program's own work directory" \
    [ "$(flash_lines | awk -F'\t' '$1 == "start" { print $5 }')" = "$(winpath "$work")" ]
  check "the flash received the exact image" image_flashed
  check "stages in protocol order" in_protocol_order
  check "work directory gone" [ ! -e "$work" ]
}

# A leftover of many names, flipped over and over with a link to a folder holding the same
# names while the program empties it: nothing in that folder goes. Held without delete sharing
# once opened, the leftover can no longer be renamed away.
leftover_flip() {
  scenario leftover_flip
  local target="$dir/elsewhere" before
  mkdir -p "$work" "$target"
  (cd "$work" && seq -f 'f%04g.txt' 3000 | xargs touch)
  (cd "$target" && seq -f 'f%04g.txt' 3000 | xargs touch && echo keep >keep.txt)
  before=$(digest "$target")
  attack flip "$(winpath "$work")" "$(winpath "$app/VqPReal")" "$work" "$target" 8 >"$dir/attack.txt" &
  local attacker=$!
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger 500 --timeout 25 >/dev/null
  wait "$attacker"
  cat "$dir/attack.txt"
  echo "ended on: $(last_field 5)"
  check "the attacker flipped while the program ran" grep -qv '^renames 0 done' "$dir/attack.txt"
  check "nothing in the link's target changed" [ "$(digest "$target")" = "$before" ]
  check "nothing planted ran, no failure shown as success" \
    bash -c "[ '$(last_field 5)' = '$S_EXTRACT_FAILED' ] || cmp -s '$flash/flash.bin' '$bin/../payload-inputs/Bios.bin'"
}

# Started from "Firmware＼Update" (U+FF3C, fullwidth reverse solidus), beside a folder
# "Firmware\Update" that an ANSI path would turn it into, holding another program and image.
unicode_folder() {
  scenario unicode_folder
  local home="$dir/Firmware＼Update" decoy="$dir/Firmware/Update" in="$bin/../payload-inputs" before pid
  mkdir -p "$home" "$decoy"
  mv "$exe" "$app/vqtest.ini" "$home/"
  exe="$home/Vorquint.exe" work="$home/VqPTemp"
  cp "$in/Bios.bin" "$dir/decoy.bin"
  printf '\x5a' | dd of="$dir/decoy.bin" bs=1 seek=$(( $(stat -c %s "$dir/decoy.bin") - 1 )) conv=notrunc status=none
  "${VQ_E2E_VQPACK:?}" build --image "$bin/Vorquint_linked.exe" --out "$decoy/Vorquint.exe" \
    "$in/dos-gzip.exe" "$bin/gzipw.exe" "$root/testing/data/fparts.txt" "$in/dos-flash.exe" "$bin/fptw.exe" \
    "$bin/fptw64.exe" "$bin/idrvdll.dll" "$bin/idrvdll32e.dll" "$bin/pmxdll.dll" "$bin/pmxdll32e.dll" \
    "$dir/decoy.bin" >/dev/null
  before=$(digest "$dir/Firmware")
  # Through a file: the program started keeps whatever output the launcher had.
  "$VQ_WINE" "$bin/vqattack.exe" launch "$(winpath "$exe")" >"$dir/pid.txt"
  pid=$(tr -d '\r' <"$dir/pid.txt")
  "$VQ_WINE" "$bin/vqdriver.exe" run --pid "$pid" --answer yes --until-stage "$S_SHUTTING_DOWN" --linger 500 \
    --timeout 60 | tr -d '\r' | tee "$timeline" >/dev/null &
  local driver=$!
  local appeared=0
  while kill -0 "$driver" 2>/dev/null; do
    [ -e "$decoy/VqPTemp" ] && appeared=1
    sleep 0.05
  done
  wait "$driver"
  check "stages in protocol order" in_protocol_order
  check "reached Shuting down" seen "$S_SHUTTING_DOWN"
  check "the program's own image was flashed, not the decoy's" image_flashed
  check "the flash ran in the work directory beside the program" \
    [ "$(flash_lines | awk -F'\t' '$1 == "start" { print $5 }')" = "$(winpath "$work")" ]
  check "no work directory ever appeared beside the decoy" [ "$appeared" = 0 ]
  check "the decoy's folder did not change" [ "$(digest "$dir/Firmware")" = "$before" ]
  check "work directory gone" [ ! -e "$work" ]
}

# The work directory renamed away in the moment the clean-up lets go of it to open it again for
# its removal, and a directory of the attacker's put in its place and held, with the right to
# delete it: the program's directory was not removed, so the window must not say so; the flash
# was done, so the upgrade still goes to its end, naming the folder. The moment is short: on a
# loaded machine the attacker may miss it, and the run is tried again; a run the attacker did not
# win proves nothing either way.
cleanup_takeover() {
  local attempt
  for attempt in 1 2 3; do
    scenario cleanup_takeover
    local planted="$dir/planted"
    mkdir -p "$planted"
    echo "the attacker's" >"$planted/keep.txt"
    setting VQ_TEST_FLASH_MS 2000
    drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 60 >/dev/null &
    local driver=$!
    if ! wait_for 90 grep -q '^write' "$flash/flash.log" 2>/dev/null; then
      fail "flash started"
      wait "$driver"
      return
    fi
    attack takeover "$(winpath "$work")" "$(winpath "$planted")" 25 >"$dir/attack.txt"
    wait "$driver"
    cat "$dir/attack.txt"
    if grep -q '^took over after [0-9]* refusals$' "$dir/attack.txt"; then
      completed_with_folder_named
      check "nothing of the attacker's directory was removed" [ -f "$work/keep.txt" ]
      return
    fi
    echo "attempt $attempt: the attacker missed the moment"
  done
  echo "the attacker missed the moment in every attempt: nothing judged"
}

# A file of the work directory held open without delete sharing, as a scanner reads a fresh file,
# from the flash until MS after the flash tool ended; sets released and flash_done (epoch ms).
hold_after_flash() {
  setting VQ_TEST_FLASH_MS 2000  # the hold begins while the flash tool runs
  attack hold "$(winpath "$work/Bios.bin")" "$(winpath "$flash/flash.log")" "$1" 120 >"$dir/attack.txt" &
  local attacker=$!
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 90 >/dev/null
  wait "$attacker"
  cat "$dir/attack.txt"
  released=$(awk '$1 == "released" { print $2 }' "$dir/attack.txt")
  flash_done=$(flash_lines | awk -F'\t' '$1 == "done" { print $2 }')
  check "the file was held from the flash until $1 ms after the flash tool ended" \
    between "$1" $(( ${released:-0} - ${flash_done:-0} )) $(( $1 + 1000 ))
}

# Held for a moment longer than a console host or a scanner would: waited out, and the upgrade
# ends as always.
cleanup_held_briefly() {
  scenario cleanup_held_briefly
  hold_after_flash 3000
  local removed
  removed=$(epoch_of "$S_CLEAN_DONE")
  echo "Temporary files removed $(( ${removed:-0} - ${released:-0} )) ms after the hold ended"
  check "stages in protocol order" in_protocol_order
  check "Temporary files removed, once the hold had ended" [ "${removed:-0}" -ge "${released:-1}" ]
  check "Upgrade Complete, with the jumper instruction only" [ "$(message_of "$S_COMPLETE")" = "$M_COMPLETE" ]
  check "ends on Shuting down" [ "$(last_field 5)|$(last_field 6)" = "$S_SHUTTING_DOWN|$M_SHUTTING_DOWN" ]
  check "shutdown called once" [ "$(shutdown_lines | wc -l)" -eq 1 ]
  check "work directory gone" [ ! -e "$work" ]
}

held_file_only() { is_hidden_dir "$work" && [ "$(ls -A "$work")" = Bios.bin ]; }

# Held for longer than the clean-up waits: the upgrade still goes to its end, naming the folder
# that stays, and it does so well before the hold ends.
cleanup_held_long() {
  scenario cleanup_held_long
  hold_after_flash 30000
  local complete
  complete=$(epoch_of "$S_COMPLETE")
  completed_with_folder_named
  echo "Upgrade Complete $(( ${complete:-0} - ${flash_done:-0} )) ms after the flash tool ended"
  check "the clean-up waited for the hold, then gave up long before it ended" \
    between 5000 $(( ${complete:-0} - ${flash_done:-0} )) $(( ${released:-0} - ${flash_done:-0} - 1 ))
  check "the folder stays, hidden, with the held file only" held_file_only
}

case "${1:-}" in
  swap_on_appear | leftover_flip | unicode_folder | cleanup_takeover | cleanup_held_briefly | cleanup_held_long)
    "$1"
    finish ;;
  *) echo "usage: race.sh SCENARIO" >&2; exit 2 ;;
esac
