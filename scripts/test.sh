#!/usr/bin/env bash
# Builds Velmora twice (native and Windows) and runs every test: the native
# unit tests with sanitizers, then the Windows tests under Wine in a
# throwaway prefix on a private X server, then the packages (release build,
# zip and installer) in a Wine prefix of their own. Exits non-zero if any
# set fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
jobs=$(nproc)

"$root/scripts/deps.sh"

cmake -S "$root" -B "$build/native" -G Ninja >/dev/null
cmake --build "$build/native" -j "$jobs"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win" -j "$jobs"

# The Windows tests get an X server of their own, so no test window ever
# lands on the user's desktop.
source "$root/scripts/xvfb.sh"
start_xvfb
export WINEPREFIX="$build/win/wineprefix"
cleanup() {
  /usr/lib/wine/wineserver64 -k 2>/dev/null || /usr/lib/wine/wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT

native_log="$build/native-tests.log"
win_log="$build/wine-tests.log"
native_rc=0
(cd "$build/native" && ctest --output-on-failure -j "$jobs") 2>&1 | tee "$native_log" || native_rc=$?
grep -q '100% tests passed' "$native_log" || native_rc=1
win_rc=0
# A Windows test that fails is run once more: Wine under Xvfb now and then
# fails to start a process at all (no output, well under a second). What
# needed the second run is named in the count below, never hidden; a test
# that fails twice fails the run.
(cd "$build/win" && ctest --output-on-failure --timeout 300 --repeat until-pass:2) 2>&1 | tee "$win_log" || win_rc=$?
grep -q '100% tests passed' "$win_log" || win_rc=1
second_try=$(sed -n 's/.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*\(Failed\|Exception\|Timeout\).*/\1/p' "$win_log" |
             sort -u | tr '\n' ' ')

# The packages, as a Windows user gets them: zip, install, upgrade,
# uninstall, in a Wine prefix of their own.
pkg_log="$build/package-tests.log"
pkg_rc=0
rm -f "$pkg_log"
pkg_start=$(date +%s)
"$root/scripts/test-packages.sh" || pkg_rc=$?
pkg_seconds=$(( $(date +%s) - pkg_start ))
gtest_count() { sed -n "s/^\[  $2  \] \([0-9]*\) tests\{0,1\}[.,].*/\1/p" "$1" | tail -n1; }
pp=$(gtest_count "$pkg_log" PASSED 2>/dev/null || true)
pf=$(gtest_count "$pkg_log" FAILED 2>/dev/null || true)
pp=${pp:-0}; pf=${pf:-0}
[ "$pkg_rc" != 0 ] && [ "$pf" = 0 ] && pf=1

count() { sed -n "s/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p" "$1" | tail -n1; }
read -r nf nt <<<"$(count "$native_log" || true)"
read -r wf wt <<<"$(count "$win_log" || true)"
nf=${nf:-0}; nt=${nt:-0}; wf=${wf:-0}; wt=${wt:-0}
echo "native: $((nt - nf)) passed, $nf failed; wine: $((wt - wf)) passed, $wf failed;" \
     "packages: $pp passed, $pf failed (${pkg_seconds} s)"
[ -n "$second_try" ] && echo "Windows tests that failed their first run (run again): $second_try"
echo "$((nt - nf + wt - wf + pp)) passed, $((nf + wf + pf)) failed"
[ "$native_rc" = 0 ] && [ "$win_rc" = 0 ] && [ "$pkg_rc" = 0 ]
