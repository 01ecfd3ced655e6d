#!/usr/bin/env bash
# vireo-learn writes a VIREO.INI from a remote's recordings, and vireo-replay
# with it recognises that remote's buttons; bad input gives exit status 2
# and leaves no file behind.
set -euo pipefail
learn=$1 replay=$2 remote=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$learn" --out "$dir/VIREO.INI" "$remote" 2>"$dir/report"
grep -q '^expected recognition over' "$dir/report"
cd "$dir"
# Vol_up is bound to VOL_UP, so its command moves the dry run's volume.
"$replay" --button Vol_up "$remote" >replayed
grep -q '^# volume 4369 of 65535$' replayed
status=0
"$learn" --out "$dir/bad.ini" "$dir/missing.ir" 2>/dev/null || status=$?
[ "$status" -eq 2 ] && [ ! -e "$dir/bad.ini" ] && [ ! -e "$dir/bad.ini.part" ]
