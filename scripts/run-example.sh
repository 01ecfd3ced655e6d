#!/usr/bin/env bash
# The main job: sets up what is missing, builds vireo-replay, and replays the
# example recording (a Hisense TV handset, eight presses) through the example
# VIREO.INI, printing the event log and, on "#" lines, what the actions do. Extra arguments go to vireo-replay, e.g.
#   scripts/run-example.sh --debug
#   scripts/run-example.sh --button Vol_up examples/Hisense_EN_33926A.ir
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh >&2
cmake --preset native >/dev/null
cmake --build --preset native-release --target vireo-replay >/dev/null
replay=$top/build/native/tools/Release/vireo-replay
recording=()
last=${!#:-}
if [ $# -eq 0 ] || [[ "$last" == -* ]]; then recording=("$top/examples/hisense-actions.mode2"); fi
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(cd "$(dirname "$a")" && pwd)/$(basename "$a")"); else args+=("$a"); fi
done
cd "$top/examples"
exec "$replay" "${args[@]}" "${recording[@]}"
