#!/usr/bin/env bash
# Builds the release a user downloads, build/package/vireo-2.0-win64.zip:
# vireo.exe, vireo-replay.exe, vireo-learn.exe, the USB board's firmware
# vireo-ir.hex, the example VIREO.INI (Windows-1251, CR LF), the Russian user
# guide (UTF-8 with a byte-order mark and CR LF, which Notepad reads
# correctly) with its pictures of the learning window and the board's
# wiring, and the README with the receiver's circuit.
# Prints the archive's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
name=vireo-2.0
scripts/setup.sh >&2
cmake --preset windows >/dev/null
cmake --build --preset windows --target vireo vireo-replay vireo-learn vireo_firmware >&2
out=$top/build/package
stage=$out/$name
rm -rf "$out"
mkdir -p "$stage"
cp build/windows/src/vireo.exe build/windows/tools/vireo-replay.exe build/windows/tools/vireo-learn.exe "$stage/"
x86_64-w64-mingw32-strip "$stage/vireo.exe" "$stage/vireo-replay.exe" "$stage/vireo-learn.exe"
# The example is kept as Vireo reads it; make sure of its line ends.
sed 's/\r*$/\r/' examples/VIREO.INI >"$stage/VIREO.INI"
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' docs/guide-ru.txt; } >"$stage/Vireo-ru.txt"
sed 's/$/\r/' README.md >"$stage/README.md"
# The guide's pictures, which plain text cannot hold, and the USB board's
# firmware.
cp docs/screenshots/learning-window.png docs/drawings/usb-receiver-wiring.svg \
  build/windows/firmware/vireo-ir.hex "$stage/"
(cd "$out" && cmake -E tar cf "$name-win64.zip" --format=zip "$name")
echo "$out/$name-win64.zip"
