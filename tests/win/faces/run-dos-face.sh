#!/usr/bin/env bash
# Runs the DOS face of a shipped Vorquint.exe in DOSBox, answers "y", and checks that the flash
# tool double received the very image the container carries and that nothing was left behind.
set -uo pipefail
exe=$1 image=$2
root=$(cd "$(dirname "$0")/../../.." && pwd)
drive=$(mktemp -d)
trap 'rm -rf "$drive"' EXIT
mkdir -p "$drive/BIN" "$drive/WORK"
cp "$exe" "$drive/BIN/VORQUINT.EXE"
printf 'y\r\n' > "$drive/ANSWER.TXT"
"$root/scripts/dos-run" "$drive" 'cd \WORK' 'C:\BIN\VORQUINT.EXE < C:\ANSWER.TXT' || { echo "FAIL: DOSBox run"; exit 1; }
fail=0
code=$(tr -d ' \r\n' < "$drive/_VQEXIT.TXT")
[ "$code" = 1 ] || { echo "FAIL: exit code $code, expected 1 (the power-off returns here)"; fail=1; }
cmp "$image" "$drive/FLASHED.BIN" || { echo "FAIL: the flash double did not receive the container's image"; fail=1; }
# Anywhere on the drive, beside what the run was given, the flash double's records and the
# runner's captures.
left=$(cd "$drive" && find . -mindepth 1 ! -path ./BIN ! -path ./BIN/VORQUINT.EXE ! -path ./WORK \
  ! -path ./ANSWER.TXT ! -path ./FLASHED.BIN ! -path ./FLASHDIR.TXT ! -path './_VQ*' | sort)
[ -z "$left" ] || { echo "FAIL: left behind on the drive: $(tr '\n' ' ' <<<"$left")"; fail=1; }
[ $fail -eq 0 ] && echo "two faces: the DOS face flashed the container's image"
exit $fail
