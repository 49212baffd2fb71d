#!/usr/bin/env bash
# Builds the release velmora.exe and starts it under Wine in a prefix of its
# own, seeded with demo startup entries. On $DISPLAY when there is one;
# otherwise under Xvfb, where it writes a screenshot of the window and closes
# the program.
set -Eeuo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
shot=${VELMORA_SCREENSHOT:-$build/velmora-screenshot.png}
say() { echo "run: $*"; }
# Every step that fails says which it was; nothing ends the script silently.
trap 'rc=$?; echo "run: failed (exit $rc) at line $LINENO: $BASH_COMMAND" >&2' ERR

"$root/scripts/deps.sh"
say "building the release velmora.exe (build/release-win)..."
exe=$("$root/scripts/build-release.sh")

export WINEPREFIX="$build/run-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
source "$root/scripts/wine-prefix.sh"

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  source "$root/scripts/xvfb.sh"
  start_xvfb
  trap '"$wineserver" -k 2>/dev/null || true; stop_xvfb' EXIT
fi

if [ ! -f "$WINEPREFIX/.velmora-ready" ]; then
  say "preparing the Wine prefix $WINEPREFIX (once, about a minute)..."
  rm -rf "$WINEPREFIX"
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX/.velmora-ready"
fi

# The program runs from a folder of its own in the prefix, with its files.
app="$WINEPREFIX/drive_c/Program Files/Velmora"
say "copying velmora.exe and its files to C:\\Program Files\\Velmora..."
mkdir -p "$app/languages"
cp -f "$exe" "$app/"
find "$root/dist" -maxdepth 1 -type f -exec cp -f {} "$app/" \;
cp -f "$root"/dist/languages/*.language "$app/languages/"
say "seeding demo startup entries..."
"$root/scripts/seed-demo.sh" "$app"

# Starting the prefix runs and empties RunOnce: start it first and keep it
# up, then seed RunOnce, so the program finds the values there. Velmora
# closed a moment ago leaves the server up: that is no failure.
start_wine_prefix 60
# VELMORA_DPI=144 (or 120, 192, ...) starts the program as on a screen of
# that scale, through the prefix's LogPixels; 96 otherwise, so a scale set
# by an earlier run does not stay. Wine reads it when a program starts.
say "screen at ${VELMORA_DPI:-96} DPI"
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${VELMORA_DPI:-96}" /f \
  </dev/null >/dev/null 2>&1
# VELMORA_DARK=1 starts it as under Windows' dark setting for apps
# (AppsUseLightTheme 0); light otherwise, so an earlier run's does not stay.
"$wine" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' /v AppsUseLightTheme \
  /t REG_DWORD /d "$([ "${VELMORA_DARK:-0}" = 1 ] && echo 0 || echo 1)" /f </dev/null >/dev/null 2>&1
sleep 1
"$root/scripts/seed-demo.sh" --runonce
# The language is the user's choice (View › Language), kept in the prefix
# from run to run; VELMORA_LANGUAGE=de (or en) makes that choice first.
if [ -n "${VELMORA_LANGUAGE:-}" ]; then
  say "language: $VELMORA_LANGUAGE"
  "$wine" reg add 'HKCU\Software\Velmora' /v Language /d "$VELMORA_LANGUAGE" /f </dev/null >/dev/null 2>&1
fi

if [ "$headless" = 0 ]; then
  say "starting Velmora on $DISPLAY"
  exec "$wine" "$app/velmora.exe"
fi

say "starting Velmora under Xvfb (no \$DISPLAY), for a screenshot..."
"$wine" "$app/velmora.exe" </dev/null >/dev/null 2>&1 &
pid=$!
wid=""
for _ in $(seq 1 100); do
  wid=$(xdotool search --onlyvisible --classname 'velmora.exe' 2>/dev/null | head -n1 || true)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if [ -z "$wid" ]; then
  echo "velmora.exe did not show its window" >&2
  exit 1
fi
sleep 2
# A script may show a node first: VELMORA_SHOW_NODE=N moves the tree's
# selection N items down (the tree has the focus at start), then waits
# VELMORA_SHOW_WAIT seconds (1) for the node's pane.
if [ -n "${VELMORA_SHOW_NODE:-}" ]; then
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  for _ in $(seq 1 "$VELMORA_SHOW_NODE"); do xdotool key Down; sleep 0.1; done
  sleep "${VELMORA_SHOW_WAIT:-1}"
fi
import -window "$wid" "$shot" 2>/dev/null || import -window root "$shot"
say "screenshot of the running window: $shot"
kill "$pid" 2>/dev/null || true
