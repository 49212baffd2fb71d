#!/usr/bin/env bash
# The run script's start of its prefix, twice in a row, as when Velmora is
# started again within a minute of closing: the second start finds the
# wineserver still up and must go on all the same. Runs against the test
# prefix (made by wine-run.sh) on the tests' X display.
set -Eeuo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# A wineserver started without a display breaks later GUI tests.
if [ -z "${DISPLAY:-}" ]; then
  [ -f "$build/xvfb.display" ] || { echo "no X display for the test prefix"; exit 77; }
  export DISPLAY=$(cat "$build/xvfb.display")
fi
# The prefix exists once any Wine test ran; make it through the wrapper if not.
[ -f "$WINEPREFIX/.velmora-ready" ] || "$build/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1
source "$root/scripts/wine-prefix.sh"
start_wine_prefix 30
start_wine_prefix 30
echo "started twice"
