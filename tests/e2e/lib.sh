# Sourced by the end-to-end scenarios: a scenario folder, the UI driver, and checks on what it saw.
#
# Timeline lines (vqdriver run): "ms bar pct button caption message" or "# event ms detail",
# tab-separated. The doubles' records: flash/flash.log, flash/gzip.log and flash/shutdown.log.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$root/scripts/wine-env"
bin=${VQ_E2E_BIN:?VQ_E2E_BIN names the Windows tree bin folder}

# Texts the user reads, as the window shows them.
readonly S_STOPPED="Stopped"
readonly S_EXTRACTING="Extract files ..."
readonly S_EXTRACT_DONE="Extract done"
readonly S_FLASHING="Flash BIOS ..."
readonly S_FLASH_DONE="Flash BIOS complete"
readonly S_CLEANING="Remove temporary files ..."
readonly S_CLEAN_DONE="Temporary files removed"
readonly S_COMPLETE="Upgrade Complete"
readonly S_SHUTTING_DOWN="Shuting down ..."
readonly S_EXTRACT_FAILED="Extract file failed"
readonly S_UPGRADE_FAILED="Upgrade failed"
# Messages, "\n" standing for the line break as the driver writes it.
readonly M_COMPLETE='System will be shutdown\nPlease remove the ME_UNLOCK jumper and clear the CMOS'
readonly M_SHUTTING_DOWN='Shutdown the computer after few seconds'
# The line below every message once the work directory could not be removed.
readonly M_KEPT_NOTE='Fail to remove temporary folder VqPTemp'
readonly CONFIRM_TEXT='Start to upgrade your Sugarbay platform?\n\nPlease close all other applications & save your works.\nThe system will shutdown after upgrade.'

# What the program must see on this Windows (VQ_WINE_SYSTEM, scripts/wine-env), known here from
# the system the test runs on, not asked of the program: the flash tool it must choose (the 64-bit
# build wherever Windows is 64-bit) and its system directory (a 32-bit process on 64-bit Windows
# gets SysWOW64 there under Wine; Windows says system32 and redirects it to SysWOW64).
case "$VQ_WINE_SYSTEM" in
  win64) readonly FLASH_TOOL=fptw64.exe SYSDIR=system32 ;;
  wow64) readonly FLASH_TOOL=fptw64.exe SYSDIR=syswow64 ;;
  win32) readonly FLASH_TOOL=fptw.exe SYSDIR=system32 ;;
esac
readonly SYSDIR_WIN="c:\\windows\\$SYSDIR"

# The shutdown command runs 5 s after stage 8 is stored; its double records once Wine has started
# it, which on a busy machine took up to about a second, and stage 8 is seen a tick (250 ms) and
# a driver interval (50 ms) after it is stored at most, more under load.
readonly SHUTDOWN_AFTER_8_MIN=4400 SHUTDOWN_AFTER_8_MAX=7000
# How long the driver stays once it saw stage 8: until the shutdown's record is there.
readonly SHUTDOWN_LINGER_MS=$(( SHUTDOWN_AFTER_8_MAX + 1000 ))

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

# winpath /unix/path -> Z:\unix\path (the drive Wine maps to /)
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# scenario NAME: a fresh folder with its own copy of the program and a record folder.
scenario() {
  name=$1
  dir="$bin/../e2e-runs/$VQ_WINE_SYSTEM/$name"
  rm -rf "$dir"
  mkdir -p "$dir/app" "$dir/flash"
  dir=$(cd "$dir" && pwd)
  app="$dir/app"
  exe="$app/Vorquint.exe"
  work="$app/VqPTemp"
  flash="$dir/flash"
  timeline="$dir/timeline.txt"
  cp "$bin/Vorquint.exe" "$exe"
  # The shutdown double inherits the program's environment; the tools get one of the program's
  # making, so they read theirs from the settings file beside the program.
  export VQ_TEST_FLASH_DIR
  VQ_TEST_FLASH_DIR=$(winpath "$flash")
  unset VQ_TEST_GZIP_EXIT VQ_TEST_FLASH_EXIT VQ_TEST_FLASH_MS VQ_TEST_GZIP_MS
  setting VQ_TEST_FLASH_DIR "$VQ_TEST_FLASH_DIR"
}

# setting NAME VALUE: the doubles' setting (testing/win/DoubleSupport.h), in vqtest.ini beside
# the program.
setting() {
  local file="$app/vqtest.ini"
  { [ -f "$file" ] && grep -v "^$1=" "$file"; printf '%s=%s\r\n' "$1" "$2"; } >"$file.new"
  mv "$file.new" "$file"
}

# drive ARGS...: runs the program under the driver; the timeline goes to $timeline (and stdout).
drive() {
  "$VQ_WINE" "$bin/vqdriver.exe" run --launch "$exe" "$@" | tr -d '\r' | tee "$timeline"
  return "${PIPESTATUS[0]}"
}

# Finishes the scenario: keeps its folder when something failed.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; the scenario's files stay in $dir" >&2
    exit 1
  fi
  rm -rf "$dir"
  echo "passed: $name"
}

# --- reading the timeline -------------------------------------------------------------------
samples() { awk -F'\t' '$1 != "#"' "$timeline"; }
event_ms() { awk -F'\t' -v e="$1" '$1 == "#" && $2 == e { print $3; exit }' "$timeline"; }
# event_detail EVENT: what the first such event recorded after its time (an exit code, an answer)
event_detail() { awk -F'\t' -v e="$1" '$1 == "#" && $2 == e { print $4; exit }' "$timeline"; }
event_count() { awk -F'\t' -v e="$1" '$1 == "#" && $2 == e { n++ } END { print n + 0 }' "$timeline"; }
start_epoch() { awk -F'\t' '$1 == "#" && $2 == "start" { print $4; exit }' "$timeline"; }
# first_ms CAPTION: when the caption was first seen
first_ms() { samples | awk -F'\t' -v c="$1" '$5 == c { print $1; exit }'; }
last_sample() { samples | tail -n 1; }
last_field() { last_sample | cut -f"$1"; }
# The captions in the order seen, repeats folded.
caption_sequence() { samples | awk -F'\t' '$5 != "" && $5 != prev { print $5; prev = $5 }'; }
seen() { caption_sequence | grep -qxF "$1"; }

# protocol_ordered: every caption read from stdin belongs to the success path, in its order.
protocol_ordered() {
  local order=("$S_STOPPED" "$S_EXTRACTING" "$S_EXTRACT_DONE" "$S_FLASHING" "$S_FLASH_DONE"
               "$S_CLEANING" "$S_CLEAN_DONE" "$S_COMPLETE" "$S_SHUTTING_DOWN")
  local i=0 c
  while IFS= read -r c; do
    while [ $i -lt ${#order[@]} ] && [ "${order[$i]}" != "$c" ]; do i=$((i + 1)); done
    if [ $i -ge ${#order[@]} ]; then echo "out of order or foreign: $c" >&2; return 1; fi
  done
}
in_protocol_order() { caption_sequence | protocol_ordered; }

# in_order_until_failure FAILURE: success stages in order, then the failure, shown last and once.
in_order_until_failure() {
  [ "$(caption_sequence | tail -n 1)" = "$1" ] &&
    [ "$(caption_sequence | grep -cxF "$1")" -eq 1 ] &&
    caption_sequence | head -n -1 | protocol_ordered
}

# button_disabled_once_running: from the first working stage on, the button is never enabled.
button_disabled_once_running() {
  samples | awk -F'\t' -v s="$S_STOPPED" '
    $5 != "" && $5 != s { running = 1 }
    running && $4 != "0" { bad = 1 }
    END { exit bad }'
}

# The window's answers to a logoff request, as they changed (allowed|refused), and when.
endsession_sequence() { awk -F'\t' '$1 == "#" && $2 == "endsession" { print $4 }' "$timeline" | paste -sd' '; }
endsession_ms() { awk -F'\t' -v n="$1" '$1 == "#" && $2 == "endsession" && ++i == n { print $3 }' "$timeline"; }
# last_ms CAPTION: when the caption was last seen
last_ms() { samples | awk -F'\t' -v c="$1" '$5 == c { t = $1 } END { print t }'; }

# Timeline line numbers, for judging order by what was recorded first rather than by times.
event_line() { awk -F'\t' -v e="$1" -v n="${2:-1}" '$1 == "#" && $2 == e && ++i == n { print NR; exit }' "$timeline"; }
first_line() { awk -F'\t' -v c="$1" '$1 != "#" && $5 == c { print NR; exit }' "$timeline"; }
last_line() { awk -F'\t' -v c="$1" '$1 != "#" && $5 == c { n = NR } END { print n }' "$timeline"; }

# ended_after_close CODE: the program ended once, with CODE, and only after it was asked to close.
ended_after_close() {
  awk -F'\t' -v code="$1" '$1 == "#" && $2 == "close" { closed = 1 }
    $1 == "#" && $2 == "ended" { n++; ok = closed && $4 == code } END { exit !(n == 1 && ok) }' "$timeline"
}

# message_of CAPTION: the message shown with the caption when it was first seen
message_of() { samples | awk -F'\t' -v c="$1" '$5 == c { print $6; exit }'; }
# epoch_of CAPTION: when the caption was first seen, on the doubles' clock (empty: never seen)
epoch_of() { local t; t=$(first_ms "$1"); [ -n "$t" ] && echo $(( $(start_epoch) + t )); }

# completed_with_folder_named: the work directory could not be removed, and the upgrade still
# went to its end: never said removed, the jumper instruction given, the folder named below the
# last two messages, and the shutdown called once.
completed_with_folder_named() {
  check "never said removed" bash -c "! grep -qF '$S_CLEAN_DONE' '$timeline'"
  check "stages in protocol order" in_protocol_order
  check "Upgrade Complete, with the jumper instruction and the folder named" \
    [ "$(message_of "$S_COMPLETE")" = "$M_COMPLETE\n$M_KEPT_NOTE" ]
  check "ends on Shuting down, the folder named" \
    [ "$(last_field 5)|$(last_field 6)" = "$S_SHUTTING_DOWN|$M_SHUTTING_DOWN\n$M_KEPT_NOTE" ]
  check "shutdown called once" [ "$(shutdown_lines | wc -l)" -eq 1 ]
}

# between LOW VALUE HIGH
between() { [ "$2" -ge "$1" ] && [ "$2" -le "$3" ]; }

# --- the doubles' records -------------------------------------------------------------------
flash_lines() { [ -f "$flash/flash.log" ] && tr -d '\r' < "$flash/flash.log" || true; }
flash_event_count() { flash_lines | awk -F'\t' -v e="$1" '$1 == e { n++ } END { print n + 0 }'; }
shutdown_lines() { [ -f "$flash/shutdown.log" ] && tr -d '\r' < "$flash/shutdown.log" || true; }
no_shutdown() { [ ! -e "$flash/shutdown.log" ]; }
# Neither the flash tool nor shutdown ran (gzip runs only in the work directory, whose absence
# the scenarios check on their own).
no_tool_ran() { [ ! -e "$flash/flash.log" ] && no_shutdown; }
# is_hidden_dir PATH: a directory (not a file in its place) with the hidden attribute.
is_hidden_dir() { "$VQ_WINE" "$bin/vqdriver.exe" attrib "$1" | tr -d '\r' | grep -qx '0x[0-9a-f]* directory hidden'; }
dir_empty() { [ -d "$1" ] && [ -z "$(ls -A "$1")" ]; }
image_flashed() { cmp -s "$flash/flash.bin" "$bin/../payload-inputs/Bios.bin"; }

# What the work directory holds once gzip has run, gzip's printing in "output" among it: one name
# per line, sorted as by "sort -f".
unpacked_payload() {
  printf '%s\n' Vorquint.exe GZip.exe GZipW.exe fparts.txt fpt.exe fptw.exe fptw64.exe idrvdll.dll \
    idrvdll32e.dll pmxdll.dll pmxdll32e.dll Bios.bin output | sort -f
}

# digest DIR: every file's path, link target and content below DIR, one line each.
digest() { (cd "$1" && find . \( -type f -printf '%p\n' -exec sha1sum {} \; \) -o -type l -printf '%p -> %l\n' | sort); }
# digest_except_work DIR: the same, without the work directory.
digest_except_work() { (cd "$1" && find . -path ./VqPTemp -prune -o \( -type f -exec sha1sum {} \; \) -o -type l -printf '%p -> %l\n' | sort); }

# flip_byte FILE OFFSET: inverts the byte at OFFSET in place, as damage or tampering would.
flip_byte() {
  local file=$1 at=$2 old
  old=$(od -An -tu1 -j "$at" -N1 "$file" | tr -d ' ')
  printf "\\x$(printf %02x $(( old ^ 0xFF )))" | dd of="$file" bs=1 seek="$at" conv=notrunc status=none
}

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
  return 1
}
