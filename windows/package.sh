#!/usr/bin/env bash
# Makes the Windows download from a cross-build: a folder with the stripped dropple.exe, its
# sounds, a README and the licence for Windows players (line ends as Windows wants them), zipped,
# and the same files as an installer.
# Usage: package.sh DROPPLE.exe AUDIO-FOLDER ICON.ico SOURCE VERSION STRIP OUT
# Writes OUT/dropple-VERSION-windows-x64.zip and OUT/dropple-VERSION-windows-x64-setup.exe.
set -euo pipefail
exe=$1 audio=$2 icon=$3 src=$4 version=$5 strip=$6 out=$7
for tool in zip makensis; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: bash scripts/setup windows"; exit 1; }
done
name=dropple-$version-windows-x64
stage=$out/$name
rm -rf "$stage" "$out/$name.zip" "$out/$name-setup.exe"
mkdir -p "$stage/audio"
"$strip" -o "$stage/dropple.exe" "$exe"
cp "$audio"/*.wav "$stage/audio/"
crlf() { sed 's/\r*$/\r/'; }
sed "s/@VERSION@/$version/" "$src/windows/README.txt" | crlf >"$stage/README.txt"
crlf <"$src/LICENSE" >"$stage/LICENSE.txt"
# Files as the build made them, in a fixed order, with no Unix owners or permissions.
(cd "$out" && find "$name" -type f | LC_ALL=C sort | zip -X -q -9 "$name.zip" -@)
kib=$(du -sk "$stage" | cut -f1)
makensis -V2 -NOCD -DVERSION="$version" -DSTAGE="$stage" -DICON="$icon" -DKIB="$kib" \
  -DOUTFILE="$out/$name-setup.exe" "$src/windows/installer.nsi"
