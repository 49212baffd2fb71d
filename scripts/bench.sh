#!/usr/bin/env bash
# Builds the speed benchmark and runs it under Wine, in the Windows build's
# throwaway prefix, and prints its figures. An optional argument gives the
# number of timed runs (default 9). The benchmark works in a throwaway
# registry key and folder; it never touches a real startup location.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}

"$root/scripts/deps.sh"
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win" -j "$(nproc)" --target velmora_bench

# Always on the build folder's private X server: a desktop's window manager
# would add its own time to every window and make the figures incomparable.
# Other work on the machine inflates every figure: say how busy it was.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
env -u DISPLAY "$build/win/wine-run.sh" "$build/win/bin/velmora_bench.exe" "$@" </dev/null
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
