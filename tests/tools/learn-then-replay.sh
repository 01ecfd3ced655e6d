#!/usr/bin/env bash
# vireo-learn writes a VIREO.INI from a remote's recordings, and vireo-replay
# with it recognises each of that remote's buttons as its own command; bad
# input gives exit status 2 and leaves no file behind.
set -euo pipefail
learn=$1 replay=$2 remote=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$learn" --out "$dir/VIREO.INI" "$remote" 2>"$dir/report"
grep -q '^ожидается на [0-9]* искажённых нажатиях: ' "$dir/report"
cd "$dir"
# Section number and name of every button that has a Value.
tr -d '\r' <VIREO.INI | awk -F= '/^\[COMMAND/ { n = substr($0, 9, length($0) - 9) }
  /^Value=./ { v = n } /^Descr=/ && v == n { print n " " $2 }' >sections
[ "$(wc -l <sections)" -ge 20 ]
while read -r number name; do
  commands=$("$replay" --button "$name" "$remote" | grep -E '^\([0-9]+\)$' | sort -u)
  [ "$commands" = "($number)" ] || { echo "$name: expected ($number), got: $commands"; exit 1; }
done <sections
# Vol_up is bound to VOL_UP, so its command moves the dry run's volume.
"$replay" --button Vol_up "$remote" | grep -q '^# volume 4369 of 65535$'
status=0
"$learn" --out "$dir/bad.ini" "$dir/missing.ir" 2>/dev/null || status=$?
[ "$status" -eq 2 ] && [ ! -e "$dir/bad.ini" ] && [ ! -e "$dir/bad.ini.new" ]
