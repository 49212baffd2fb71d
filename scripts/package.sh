#!/usr/bin/env bash
# Builds the release velmora.exe and velmorac.exe and both packages into build/release:
#   Velmora-<version>-x64-portable.zip  the program and its files, unpack and run
#   Velmora-<version>-x64-setup.exe     the NSIS installer (per machine)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
version=2.0.0
out="$build/release"
stage="$out/stage"

"$root/scripts/deps.sh"
echo "Building the release velmora.exe and velmorac.exe..."
exe=$("$root/scripts/build-release.sh")

echo "Collecting the files to ship..."
rm -rf "$stage"
mkdir -p "$stage/languages"
cp "$exe" "$stage/velmora.exe"
cp "$(dirname "$exe")/velmorac.exe" "$stage/velmorac.exe"
cp "$root/dist/velmora.language" "$root/dist/velmora.smf" "$root"/dist/*.htm "$stage/"
cp "$root"/dist/languages/*.language "$stage/languages/"
# English too, so that a user who switched language can switch back.
cp "$root/dist/velmora.language" "$stage/languages/english.language"
cp "$root/packaging/README.txt" "$stage/README.txt"

zip="$out/Velmora-$version-x64-portable.zip"
setup="$out/Velmora-$version-x64-setup.exe"
rm -f "$zip" "$setup"

echo "Packing $zip..."
(cd "$stage" && zip -q -X -r "$zip" .)

echo "Building $setup..."
makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" -DICON="$root/src/res/velmora.ico" \
  "$root/packaging/velmora.nsi"

ls -l "$zip" "$setup" | awk '{ printf "%9d bytes  %s\n", $5, $NF }'
