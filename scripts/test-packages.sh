#!/usr/bin/env bash
# Tests the packages as a Windows user gets them: builds them
# (scripts/package.sh), then, in a Wine prefix of their own that is thrown
# away afterwards, unpacks the portable zip and runs the package tests
# (tests/package): zip, silent install, upgrade, uninstall. Expects the
# Windows build in build/win (scripts/test.sh makes it). Writes the tests'
# output to build/package-tests.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
version=2.0.0

"$root/scripts/package.sh" >/dev/null
cmake --build "$build/win" -j "$(nproc)" --target velmora_package_tests >/dev/null

export WINEPREFIX="$build/package-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver

own_xvfb=0
if [ -z "${DISPLAY:-}" ]; then
  source "$root/scripts/xvfb.sh"
  start_xvfb
  own_xvfb=1
fi
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  [ "$own_xvfb" = 1 ] && stop_xvfb
  return 0
}
trap cleanup EXIT

rm -rf "$WINEPREFIX"
"$wine" wineboot --init </dev/null >/dev/null 2>&1
# Without a window manager every DestroyWindow of a visible window waits 2 s.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
"$wineserver" -w

drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/portable" "$drive_c/packages"
unzip -q "$build/release/Velmora-$version-x64-portable.zip" -d "$drive_c/portable"
cp "$build/release/Velmora-$version-x64-setup.exe" "$build/win/bin/velmora_package_tests.exe" "$drive_c/packages/"

"$wineserver" -p30 </dev/null >/dev/null 2>&1
# Into a file, not a pipe: a program the tests start could hold a pipe open.
rc=0
VELMORA_PORTABLE='C:\portable' VELMORA_SETUP="C:\\packages\\Velmora-$version-x64-setup.exe" \
  timeout 600 "$wine" 'C:\packages\velmora_package_tests.exe' --gtest_color=no "$@" \
  </dev/null >"$build/package-tests.log" 2>&1 || rc=$?
cat "$build/package-tests.log"
exit "$rc"
