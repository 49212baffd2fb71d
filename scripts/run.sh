#!/usr/bin/env bash
# Builds velmora.exe and starts it under Wine in a prefix of its own, seeded
# with demo startup entries. On $DISPLAY when there is one; otherwise under
# Xvfb, where it writes a screenshot of the window and closes the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
shot=${VELMORA_SCREENSHOT:-$build/velmora-screenshot.png}

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win" -j "$(nproc)" --target velmora

export WINEPREFIX="$build/run-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  source "$root/scripts/xvfb.sh"
  start_xvfb
  trap '"$wineserver" -k 2>/dev/null || true; stop_xvfb' EXIT
fi

if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX/.velmora-ready"
fi

# The program runs from a folder of its own in the prefix, with its files.
app="$WINEPREFIX/drive_c/Program Files/Velmora"
mkdir -p "$app"
cp -f "$build/win/bin/velmora.exe" "$app/"
cp -f "$root"/dist/* "$app/" 2>/dev/null || true
[ -x "$root/scripts/seed-demo.sh" ] && "$root/scripts/seed-demo.sh" "$app"

if [ "$headless" = 0 ]; then
  exec "$wine" "$app/velmora.exe"
fi

"$wine" "$app/velmora.exe" </dev/null >/dev/null 2>&1 &
pid=$!
shown=0
for _ in $(seq 1 100); do
  if xdotool search --onlyvisible --classname 'velmora.exe' >/dev/null 2>&1; then shown=1; break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if [ "$shown" = 0 ]; then
  echo "velmora.exe did not show its window" >&2
  exit 1
fi
sleep 2
import -window root "$shot"
echo "Screenshot of the running window: $shot"
kill "$pid" 2>/dev/null || true
