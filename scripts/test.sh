#!/usr/bin/env bash
# Every test, from a fresh clone: sets up what is missing, builds all presets,
# runs the unit tests natively (Debug), the long tests (Release), the same unit
# tests as Windows programs under Wine with vireo.exe end to end, checks the
# release zip, runs the tests under ThreadSanitizer and the fuzzers of the
# configuration and recording readers and of the USB receiver board's stream
# for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
fuzz_seconds=${VIREO_FUZZ_SECONDS:-30}

step() { printf '\n=== %s\n' "$*"; }

step "setup"
scripts/setup.sh

step "native build"
cmake --preset native >/dev/null
cmake --build --preset native-debug
cmake --build --preset native-release
step "native tests"
ctest --preset native
ctest --preset native-long

step "windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows
step "windows tests under wine (vireo.exe end to end among them)"
# Wine makes windows only on a display: the window tests get a virtual one.
display=:$((90 + RANDOM % 400))
Xvfb "$display" -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
DISPLAY=$display ctest --preset windows
kill "$xvfb_pid" 2>/dev/null || true

step "the release zip"
zip=$(scripts/package.sh 2>/dev/null)
listing=$(cmake -E tar tf "$zip")
for f in vireo.exe vireo-replay.exe vireo-learn.exe vireo-ir.hex VIREO.INI Vireo-ru.txt \
  learning-window.png usb-receiver-wiring.svg README.md; do
  grep -qx "vireo-2.0/$f" <<<"$listing" || { echo "$f missing from $zip"; exit 1; }
done
stage=$(dirname "$zip")/vireo-2.0
# The settings as Vireo reads them: Windows-1251 text, every line ending CR LF.
iconv -f CP1251 -t UTF-8 "$stage/VIREO.INI" | grep -q '^Descr=Громче' &&
  ! grep -qv $'\r$' "$stage/VIREO.INI" || { echo "VIREO.INI is not Windows-1251 with CR LF"; exit 1; }
echo "$zip: $(wc -c <"$zip") bytes"

step "thread sanitizer"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan

step "fuzzing the configuration and recording readers and the board's stream for ${fuzz_seconds} s each"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir "$corpus/config" "$corpus/recording" "$corpus/board"
build/fuzz/fuzz/config_fuzz -max_total_time="$fuzz_seconds" -max_len=65536 -print_final_stats=1 \
  "$corpus/config" fuzz/seeds 2>&1 | tail -n 12
# A recording's readers go line by line; 16 KiB holds a few buttons' raw blocks.
build/fuzz/fuzz/recording_fuzz -max_total_time="$fuzz_seconds" -max_len=16384 -print_final_stats=1 \
  "$corpus/recording" fuzz/seeds-recording 2>&1 | tail -n 12
# The decoder holds at most a word and a line: short inputs reach all it does.
build/fuzz/fuzz/board_stream_fuzz -max_total_time="$fuzz_seconds" -max_len=4096 -print_final_stats=1 \
  "$corpus/board" fuzz/seeds-board 2>&1 | tail -n 12

step "all tests passed"
