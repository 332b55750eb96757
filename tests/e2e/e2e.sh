#!/usr/bin/env bash
# End-to-end scenarios: the assembled Vorquint.exe run under Wine, driven like a user would, with
# the test doubles standing in for gzip, the flash tool and shutdown. Usage: e2e.sh SCENARIO
set -uo pipefail
. "$(dirname "$0")/lib.sh"

# Points per second while the bar creeps: one per 250 ms tick. A tick never comes early, so the
# upper bound only allows for when the driver saw the two ends (50 ms apart at most, over some
# 20 s); a busy machine delays ticks, which the lower bound allows for.
readonly CREEP_MIN=3.0 CREEP_MAX=4.6
# Long enough for the bar to climb from 1 to 89 at the lowest rate allowed, and rest there.
readonly LONG_FLASH_MS=32000

# Wine prefers a native shutdown.exe only where the system's own one lies: in each system
# directory the prefix has (64-bit Windows has two, and a 32-bit process sees SysWOW64).
setup() {
  "$root/scripts/wine-session" start
  local d target
  for d in system32 syswow64; do
    target="$WINEPREFIX/drive_c/windows/$d/shutdown.exe"
    [ -d "${target%/*}" ] || continue
    cmp -s "$bin/shutdown.exe" "$target" || cp "$bin/shutdown.exe" "$target"
  done
  check "shutdown double installed in the program's system directory" \
    cmp -s "$bin/shutdown.exe" "$WINEPREFIX/drive_c/windows/$SYSDIR/shutdown.exe"
  [ "$failures" -eq 0 ] || exit 1
}

# Reads the 4-byte little-endian container offset from the end of a file.
container_offset() { od -An -tu4 -j $(( $(stat -c %s "$1") - 4 )) -N4 "$1" | tr -d ' '; }

declined() {
  scenario declined
  drive --answer no --second-click 500 --until-stage "$S_STOPPED" --linger 1500 --timeout 30
  check "the confirmation box shows the question" \
    [ "$(awk -F'\t' '$2 == "confirm" { print $4; exit }' "$timeline")" = "$CONFIRM_TEXT" ]
  check "the button stays usable: a second click asks again" [ "$(event_count confirm)" -eq 2 ]
  check "stage stays Stopped" [ "$(last_field 5)" = "$S_STOPPED" ]
  check "bar at 0" [ "$(last_field 2)" = 0 ]
  check "button enabled" [ "$(last_field 4)" = 1 ]
  check "no work directory" [ ! -e "$work" ]
  check "neither the flash tool nor shutdown ran" no_tool_ran
  check "the program closes with 0" [ "$(event_detail exit)" = 0 ]
}

# The window closed while the box asks: whatever the box then returns is no consent.
close_at_confirm() {
  scenario close_at_confirm
  drive --answer yes --close-at-confirm --timeout 20
  check "the program ended with 0" [ "$(awk -F'\t' '$2 == "ended" { print $4 }' "$timeline")" = 0 ]
  check "no work directory" [ ! -e "$work" ]
  check "neither the flash tool nor shutdown ran" no_tool_ran
}

success() {
  scenario success
  setting VQ_TEST_FLASH_MS $LONG_FLASH_MS
  drive --answer yes --second-click 1000 --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 120 \
    --query-end-session
  check "reached Shuting down" [ -n "$(first_ms "$S_SHUTTING_DOWN")" ]
  check "stages in protocol order" in_protocol_order
  # Stages 1, 2, 4 and 5 can pass within one 250 ms tick here and then are never shown.
  for s in "$S_FLASHING" "$S_CLEAN_DONE" "$S_COMPLETE"; do
    check "stage seen: $s" seen "$s"
  done
  check "Upgrade Complete, with the jumper instruction only" [ "$(message_of "$S_COMPLETE")" = "$M_COMPLETE" ]
  check "one confirmation only: the second click is refused" [ "$(event_count confirm)" -eq 1 ]
  check "button disabled throughout" button_disabled_once_running

  # The bar during the flash: one point per tick up to 89, then resting there.
  local creep
  creep=$(samples | awk -F'\t' -v c="$S_FLASHING" '
    $5 == c && !seen { t0 = $1; b0 = $2; seen = 1 }
    $5 == c && $2 == 89 && !top { t1 = $1; top = 1 }
    $5 == c && top && $2 != 89 { moved = 1 }
    END { if (!top || moved || t1 <= t0) print "none"; else printf "%.2f %d %d\n", (89 - b0) * 1000 / (t1 - t0), b0, t1 - t0 }')
  echo "flash creep: $creep (points/s, from, ms)"
  check "bar creeps at about 4 points/s during the flash and rests at 89" \
    awk -v r="${creep%% *}" -v lo=$CREEP_MIN -v hi=$CREEP_MAX 'BEGIN { exit !(r + 0 >= lo && r + 0 <= hi) }'
  check "89% shown while resting" bash -c "grep -qP '\t89\t89%\t0\t\Q$S_FLASHING\E\t' '$timeline'"

  # The flash double: the build for this Windows, in the work directory, with the exact image.
  local start
  start=$(flash_lines | awk -F'\t' '$1 == "start"')
  check "flash tool ran once" [ "$(flash_event_count start)" -eq 1 ]
  check "the flash tool for $VQ_WINE_SYSTEM chosen: $FLASH_TOOL" [ "$(cut -f3 <<<"$start")" = "$FLASH_TOOL" ]
  check "flash command line is ' -f Bios.bin'" [ "$(cut -f4 <<<"$start")" = " -f Bios.bin" ]
  check "flash ran in the work directory" [ "$(cut -f5 <<<"$start")" = "$(winpath "$work")" ]
  check "flash window hidden" [ "$(cut -f6 <<<"$start")" = hidden ]
  check "the flash received the exact image" image_flashed
  check "work directory gone" [ ! -e "$work" ]

  # Pacing of the last stages, as the window showed them, and the shutdown call.
  local t6 t7 t8 epoch sd
  t6=$(first_ms "$S_CLEAN_DONE"); t7=$(first_ms "$S_COMPLETE"); t8=$(first_ms "$S_SHUTTING_DOWN")
  epoch=$(start_epoch)
  echo "stage 6 at $t6 ms, 7 at $t7 ms, 8 at $t8 ms"
  # Both ends as the driver first saw them, each a tick (250 ms) and a driver interval (50 ms) at
  # most after the store, later on a busy machine. The 500 ms wait is no whole number of ticks,
  # so the two sights may fall one tick nearer or further; 5 s is, so only a late tick or a late
  # look moves those ends.
  check "stage 7 about 0.5 s after stage 6" between 250 $(( t7 - t6 )) 1000
  check "stage 8 5 s after stage 7" between 4500 $(( t8 - t7 )) 5600
  check "bar at 100 for stage 8" [ "$(samples | awk -F'\t' -v c="$S_SHUTTING_DOWN" '$5 == c { print $2 "|" $3; exit }')" = "100|100%" ]
  check "shutdown called once" [ "$(shutdown_lines | wc -l)" -eq 1 ]
  sd=$(shutdown_lines | head -n 1)
  check "shutdown with /s /f /t 0" [ "$(cut -f2 <<<"$sd")" = "/s /f /t 0" ]
  local program
  program=$(cut -f3 <<<"$sd" | tr 'A-Z' 'a-z')
  check "the system directory's shutdown program" [ "$program" = "$SYSDIR_WIN\\shutdown.exe" ]
  echo "shutdown $(( $(cut -f1 <<<"$sd") - epoch - t8 )) ms after stage 8 was seen"

  # A logoff or restart asked for by anyone else waits while the upgrade runs, never otherwise.
  # The order is the order of the driver's records; the shutdown's time is on the same clock.
  check "logoff allowed before, refused during, allowed after the upgrade" \
    [ "$(endsession_sequence)" = "allowed refused allowed" ]
  check "refused before the flash is shown" \
    [ "$(event_line endsession 2)" -lt "$(first_line "$S_FLASHING")" ]
  check "refused for the whole flash" [ "$(event_line endsession 3)" -gt "$(last_line "$S_FLASHING")" ]
  check "allowed again before the program's own shutdown" \
    [ $(( epoch + $(endsession_ms 3) )) -lt "$(cut -f1 <<<"$sd")" ]
  check "shutdown about 5 s after stage 8" \
    between $SHUTDOWN_AFTER_8_MIN $(( $(cut -f1 <<<"$sd") - epoch - t8 )) $SHUTDOWN_AFTER_8_MAX
}

# A work directory already there, from an earlier failed run or planted by someone: the tools
# must see only the payload, never a DLL that was waiting beside them.
leftover() {
  scenario leftover
  mkdir -p "$work"
  echo stale >"$work/stale.txt"
  head -c 1024 /dev/zero >"$work/Bios.bin"
  echo "not a program" >"$work/fptw64.exe"
  cp "$bin/idrvdll32e.dll" "$work/version.dll"
  local outside
  outside=$(digest_except_work "$app")
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 60
  check "stages in protocol order" in_protocol_order
  check "reached Shuting down" seen "$S_SHUTTING_DOWN"
  check "the flash tool saw exactly the unpacked payload" \
    [ "$(flash_lines | awk -F'\t' '$1 == "start" { print $7 }' | tr / '\n' | sort -f)" = "$(unpacked_payload)" ]
  check "the flash received the exact image, not the stale one" image_flashed
  check "work directory gone, stale files too" [ ! -e "$work" ]
  check "nothing beside the work directory changed" [ "$(digest_except_work "$app")" = "$outside" ]
  check "shutdown called" [ "$(shutdown_lines | wc -l)" -eq 1 ]
}

# A link or junction named VqPTemp leads elsewhere: nothing is written, run or deleted there,
# whether it stands there from the start or takes the directory's place while the flash runs.
workdir_link() {
  scenario workdir_link
  local target="$dir/elsewhere" before
  mkdir -p "$target"
  echo "somebody's file" >"$target/keep.txt"
  cp "$bin/../payload-inputs/Bios.bin" "$target/Bios.bin"
  ln -s "$target" "$work"
  before=$(digest "$target")
  drive --answer yes --until-stage "$S_EXTRACT_FAILED" --linger 1500 --timeout 60
  extract_failed
  check "the link is left as it was" [ "$(readlink "$work")" = "$target" ]
  check "nothing in the link's target changed" [ "$(digest "$target")" = "$before" ]

  scenario workdir_link
  mkdir -p "$target"
  echo "somebody's file" >"$target/keep.txt"
  before=$(digest "$target")
  setting VQ_TEST_FLASH_MS 3000
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 60 >/dev/null &
  local driver=$!
  # Swapped once the tool has what it reads, while it writes: as a tool that ran for minutes.
  check "flash started" wait_for 30 grep -q '^write' "$flash/flash.log"
  mv "$work" "$dir/swapped-out"
  ln -s "$target" "$work"
  wait "$driver"
  cat "$timeline"
  check "the flash finished" [ "$(flash_event_count done)" -eq 1 ]
  completed_with_folder_named
  check "the link is left as it was" [ "$(readlink "$work")" = "$target" ]
  check "nothing in the link's target was deleted" [ "$(digest "$target")" = "$before" ]
}

# A plain file named VqPTemp is somebody's data: it keeps its bytes and the upgrade stops.
workdir_file() {
  scenario workdir_file
  printf 'not a directory\r\n' >"$work"
  local outside
  outside=$(digest "$app")
  drive --answer yes --until-stage "$S_EXTRACT_FAILED" --linger 1500 --timeout 60
  extract_failed
  check "the file and everything beside it unchanged" [ "$(digest "$app")" = "$outside" ]
}

# Checks shared by the failures that end in "Extract file failed".
extract_failed() {
  check "ends on Extract file failed" [ "$(last_field 5)" = "$S_EXTRACT_FAILED" ]
  check "bar and percentage at 0" [ "$(last_field 2)|$(last_field 3)" = "0|0%" ]
  check "failure message shown" [ "$(last_field 6)" = 'Fail to extract upgrade files\nFile may be corrupted' ]
  check "no later stage" in_order_until_failure "$S_EXTRACT_FAILED"
  check "flash tool never ran" [ ! -e "$flash/flash.log" ]
  check "no shutdown" no_shutdown
  check "button disabled" [ "$(last_field 4)" = 0 ]
}

gzip_damaged() {
  scenario gzip_damaged
  # The last member's CRC32 lies 8 bytes before its end, which is 4 bytes before the file's end.
  flip_byte "$exe" $(( $(stat -c %s "$exe") - 4 - 8 ))
  drive --answer yes --until-stage "$S_EXTRACT_FAILED" --linger 1500 --timeout 60
  extract_failed
  check "work directory kept, hidden" is_hidden_dir "$work"
  check "the damaged member kept, the good ones unpacked" \
    bash -c "[ -f '$work/Bios.bin.gz' ] && [ ! -e '$work/Bios.bin' ] && [ -f '$work/fptw64.exe' ]"
}

gzip_fails() {
  scenario gzip_fails
  setting VQ_TEST_GZIP_EXIT 1
  drive --answer yes --until-stage "$S_EXTRACT_FAILED" --linger 1500 --timeout 60
  extract_failed
  check "work directory kept, hidden" is_hidden_dir "$work"
  check "the extracted files stay" bash -c "[ -f '$work/Bios.bin.gz' ] && [ -f '$work/GZipW.exe' ]"
}

bad_magic() {
  scenario bad_magic
  flip_byte "$exe" "$(container_offset "$exe")"
  drive --answer yes --until-stage "$S_EXTRACT_FAILED" --linger 1500 --timeout 60
  extract_failed
  check "work directory kept, hidden" is_hidden_dir "$work"
  check "work directory empty" dir_empty "$work"
}

# Checks shared by the failures that end in "Upgrade failed".
upgrade_failed() {
  check "ends on Upgrade failed" [ "$(last_field 5)" = "$S_UPGRADE_FAILED" ]
  check "bar and percentage at 0" [ "$(last_field 2)|$(last_field 3)" = "0|0%" ]
  check "failure message shown" [ "$(last_field 6)" = 'Fail to upgrade\nPlease check if ME_UNLOCK is shorted' ]
  check "no later stage" in_order_until_failure "$S_UPGRADE_FAILED"
  check "nothing flashed" [ ! -e "$flash/flash.bin" ]
  check "work directory kept, hidden" is_hidden_dir "$work"
  check "no shutdown" no_shutdown
}

flash_fails() {
  scenario flash_fails
  setting VQ_TEST_FLASH_EXIT 7
  drive --answer yes --until-stage "$S_UPGRADE_FAILED" --linger 1500 --timeout 60 --query-end-session
  upgrade_failed
  check "a logoff is refused while the chain runs and allowed once it failed" \
    [ "$(endsession_sequence)" = "allowed refused allowed" ]
  check "flash tool ran once and failed with 7" \
    [ "$(flash_lines | awk -F'\t' '$1 == "fail" { print $4 }')" = 7 ]
  for f in Bios.bin fptw64.exe fparts.txt idrvdll32e.dll Vorquint.exe; do
    check "work directory keeps $f" [ -f "$work/$f" ]
  done
}

flash_missing() {
  scenario flash_missing
  # A payload that ends just before the flash tool this Windows needs: everything before it is
  # there. vqpack builds no such package, so the test cuts the shipped one.
  local entry
  entry=$("${VQ_E2E_VQPACK:?}" list --json "$bin/Vorquint.exe" |
    sed -n "s/.*\"index\": \([0-9]*\), \"name\": \"$FLASH_TOOL.gz\".*/\1/p")
  check "the flash tool's entry found" [ -n "$entry" ]
  "$root/testing/cut-container" "$VQ_E2E_VQPACK" "$bin/Vorquint.exe" "${entry:-0}" "$exe.cut"
  mv "$exe.cut" "$exe"
  drive --answer yes --until-stage "$S_UPGRADE_FAILED" --linger 1500 --timeout 60
  upgrade_failed
  check "no flash tool ran" [ ! -e "$flash/flash.log" ]
  check "work directory keeps what came before the flash tool, and not it" \
    bash -c "[ -f '$work/fpt.exe' ] && [ -f '$work/fparts.txt' ] && [ ! -e '$work/$FLASH_TOOL' ]"
}

workdir_vanishes() {
  scenario workdir_vanishes
  setting VQ_TEST_FLASH_MS 3000
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 120 >/dev/null &
  local driver=$!
  # Removed from outside while the flash runs (the flash double holds the image already): what
  # the program did not remove, it does not say removed.
  check "flash started" wait_for 30 grep -q '^write' "$flash/flash.log"
  rm -rf "$work"
  wait "$driver"
  cat "$timeline"
  check "the flash finished" [ "$(flash_event_count done)" -eq 1 ]
  completed_with_folder_named
}

# The flash tool detaches from its console, prints its line and ends at once, while what Wine
# started for it as its console host still holds its printing ("output") and the work directory
# for 2 s, as a scanner holds fresh files on Windows. The clean-up waits that out and the upgrade
# ends as always.
flash_quick() {
  scenario flash_quick
  setting VQ_TEST_FLASH_QUICK 2000
  drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger "$SHUTDOWN_LINGER_MS" --timeout 60 >/dev/null
  cat "$timeline"
  check "the flash tool ran once and succeeded" [ "$(flash_lines | cut -f1 | paste -sd' ')" = done ]
  check "stages in protocol order" in_protocol_order
  check "Temporary files removed" seen "$S_CLEAN_DONE"
  check "Upgrade Complete, with the jumper instruction" [ "$(message_of "$S_COMPLETE")" = "$M_COMPLETE" ]
  check "ends on Shuting down" [ "$(last_field 5)|$(last_field 6)" = "$S_SHUTTING_DOWN|$M_SHUTTING_DOWN" ]
  check "shutdown called once" [ "$(shutdown_lines | wc -l)" -eq 1 ]
  check "work directory gone" [ ! -e "$work" ]
}

close_before_shutdown() {
  scenario close_before_shutdown
  drive --answer yes --close-at-stage "$S_COMPLETE" --close-delay 1000 --timeout 60
  check "the program ended with 0 after the close" ended_after_close 0
  sleep 11
  check "no shutdown" no_shutdown
  check "the upgrade itself had finished" bash -c "[ ! -e '$work' ] && cmp -s '$flash/flash.bin' '$bin/../payload-inputs/Bios.bin'"
}

# Closed while gzip unpacks: the program ends, and gzip with it; the work directory keeps what was
# unpacked until then, and nothing more comes.
close_during_extract() {
  scenario close_during_extract
  setting VQ_TEST_GZIP_MS 4000
  drive --answer yes --close-at-stage "$S_EXTRACTING" --close-delay 1500 --timeout 60
  local closed started
  closed=$(( $(start_epoch) + $(event_ms close) ))
  started=$(tr -d '\r' <"$flash/gzip.log" | awk -F'\t' '$1 == "start" { print $2 }')
  check "the program ended with 0 after the close" ended_after_close 0
  check "the close came while gzip ran" [ "${started:-$closed}" -lt "$closed" ]
  sleep 5
  check "gzip ended with the program" bash -c "! grep -q '^done' '$flash/gzip.log'"
  check "nothing unpacked after the close" bash -c "[ -f '$work/Bios.bin.gz' ] && [ ! -e '$work/Bios.bin' ]"
  check "flash tool never ran" [ ! -e "$flash/flash.log" ]
}

# A close while the flash tool writes is refused: the window stays and follows the flash to its
# end. Once the tool has ended, closing ends the program as at any other time.
close_during_flash() {
  scenario close_during_flash
  setting VQ_TEST_FLASH_MS 4000
  drive --answer yes --close-at-stage "$S_FLASHING" --close-delay 500 --until-stage "$S_COMPLETE" \
    --linger 500 --timeout 60
  local closed started ended
  closed=$(( $(start_epoch) + $(event_ms close) ))
  started=$(flash_lines | awk -F'\t' '$1 == "start" { print $2 }')
  ended=$(flash_lines | awk -F'\t' '$1 == "done" { print $2 }')
  check "the close came while the flash tool ran" between "${started:-0}" "$closed" "${ended:-0}"
  check "the window stayed and followed the upgrade to its end" seen "$S_COMPLETE"
  check "the flash tool finished with the exact image" image_flashed
  check "the clean-up ran" [ ! -e "$work" ]
  check "closed after the flash, the program ended with 0" \
    [ "$(awk -F'\t' '$2 == "exit" { print $4 }' "$timeline")" = 0 ]
}

# Windows' KnownDLLs, and the libraries they import, which the loader maps with them: taken from
# the system directory whatever lies beside a program.
readonly KNOWN_DLLS="advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32
  kernelbase msctf msvcrt normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32
  shlwapi user32 wldap32 ws2_32"
# Every other library the program's process loads in a whole upgrade of a signed release here
# (WINEDEBUG=+loaddll), the signature check's among them.
readonly PLANTED_DLLS="ucrtbase.dll zlib1.dll version.dll win32u.dll msimg32.dll uxtheme.dll msacm32.dll
  winmm.dll comctl32.dll winex11.drv dbghelp.dll compstui.dll winspool.drv bcrypt.dll crypt32.dll cryptui.dll
  cryptnet.dll wintrust.dll rsaenh.dll"

# A native-first copy of each of them beside the program, as a search that looks there first
# would take it: none is loaded from there once the program's own code runs, and the upgrade
# goes through. Its code begins with the search lock's lookup of kernel32 by that bare name.
dlls_planted() {
  scenario dlls_planted
  local d names="" trace="$dir/loaddll.txt" pid own loaded applog
  check "signed" "$root/scripts/sign-throwaway" "$bin/Vorquint.exe" "$exe"
  for d in $PLANTED_DLLS; do
    cp "$WINEPREFIX/drive_c/windows/$SYSDIR/$d" "$app/"
    names+=${names:+,}${d%.dll}
  done
  setting VQ_TEST_FLASH_MS 1000
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$names=n,b" WINEDEBUG=+pid,+loaddll,+module \
    drive --answer yes --until-stage "$S_SHUTTING_DOWN" --linger 500 --timeout 90 2>"$trace" >/dev/null
  check "the whole upgrade ran" seen "$S_SHUTTING_DOWN"
  check "the exact image was flashed" image_flashed
  applog=$(winpath "$app" | sed 's/\\/\\\\/g')
  pid=$(grep -F "Loaded L\"$applog\\\\Vorquint.exe\"" "$trace" | head -n 1 | cut -d: -f1)
  grep "^$pid:" "$trace" >"$dir/program.txt"
  own=$(grep -n -m1 -F 'LdrGetDllHandleEx L"kernel32" ->' "$dir/program.txt" | cut -d: -f1)
  check "the program's trace and the start of its own code found" test -n "$pid" -a -n "$own"
  own=${own:-1}
  check "a planted copy is taken where a search reaches it (Wine's own start-up loads)" \
    grep -q -F "Loaded L\"$applog\\\\" <(head -n "$own" "$dir/program.txt" | grep -v -F 'Vorquint.exe"')
  tail -n +"$own" "$dir/program.txt" | grep -F "Loaded L\"$applog\\\\" >"$dir/from-app.txt"
  cat "$dir/from-app.txt"
  check "none loaded from the program's folder once its code runs" [ ! -s "$dir/from-app.txt" ]
  loaded=$(sed -n 's/.*trace:loaddll:.*Loaded L"[^"]*\\\([^"\\]*\)".*/\1/p' "$dir/program.txt" | tr 'A-Z' 'a-z' |
    sed 's/\.dll$//' | sort -u | grep -vxF -f <(tr ' ' '\n' <<<"$KNOWN_DLLS ${PLANTED_DLLS//.dll/} vorquint.exe" | grep .))
  check "every library it loaded is a KnownDLL or had a copy planted: ${loaded:-all}" [ -z "$loaded" ]
}

case "${1:-}" in
  setup | declined | close_at_confirm | success | leftover | workdir_link | workdir_file | gzip_damaged | gzip_fails | bad_magic | flash_fails | \
    flash_missing | workdir_vanishes | flash_quick | close_before_shutdown | close_during_flash | close_during_extract | \
    dlls_planted)
    "$1"
    [ "$1" = setup ] && exit 0
    finish ;;
  *) echo "usage: e2e.sh SCENARIO" >&2; exit 2 ;;
esac
