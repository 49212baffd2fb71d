#!/usr/bin/env bash
# Builds the release velmora.exe and velmorac.exe (optimised, stripped) into
# build/release-win/bin, beside the files they ship with. Used by the run
# command and the package command; prints velmora.exe's path (velmorac.exe
# is beside it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
out="$build/release-win"

cmake -S "$root" -B "$out" -G Ninja -C "$root/cmake/release.cmake" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$out" -j "$(nproc)" --target velmora velmorac >&2
echo "$out/bin/velmora.exe"
