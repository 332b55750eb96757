#!/usr/bin/env bash
# The window on a Wine prefix made moments ago (a fresh clone's first run): its very first
# programs see the session's colours, and at 144 pixels per inch it scales as it should.
#   new-prefix.sh UI_WINDOW_TEST_EXE PREFIX_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
test_exe=$1
export VQ_WINEPREFIX=$2-${VQ_WINE_SYSTEM:-win64}
rm -rf "$VQ_WINEPREFIX"
# Its own prefix, so the density set below reaches no other test.
trap '"$root/scripts/wine-session" stop; rm -rf "$VQ_WINEPREFIX"' EXIT
"$root/scripts/wine-session" start || { echo "FAIL: no session on a new prefix"; exit 1; }
. "$root/scripts/wine-env"

fail=0
echo "== the first program of the first session"
"$root/scripts/wine-run" "$test_exe" --gtest_filter='Tick.HotLightMessagesShowInTheSessionsBlue' || fail=1
echo "== at 144 dpi"
"$VQ_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
out=$("$root/scripts/wine-run" "$test_exe" \
  --gtest_filter='Layout.At144DpiPlacesAndSizesGrowByTheLineHeight:Layout.SeparatorIsEtched*' 2>&1) || fail=1
printf '%s\n' "$out"
# Skipped, it would pass: the window must really have seen 144 dpi.
grep -q '^\[       OK \] Layout.At144Dpi' <<<"$out" || { echo "FAIL: the window did not see 144 dpi"; fail=1; }
exit $fail
