#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run command need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build ccache g++ googletest libpugixml-dev
  g++-mingw-w64-x86-64-posix
  wine64 xvfb x11-utils imagemagick xdotool
  nsis zip unzip
  osslsigncode openssl
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
