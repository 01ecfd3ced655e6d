#!/usr/bin/env bash
# vireo-replay.exe and vireo-learn.exe under Wine. Redirected, they write the
# bytes they always have: the transcript in UTF-8 with Windows line ends, the
# VIREO.INI in Windows-1251. In a console (a pseudo-terminal gives Wine's
# console one), the Russian texts read right: raw bytes would be read there
# in the console's own code page.
#   console-tools.sh WINE_RUN ROOT VIREO_REPLAY VIREO_LEARN SOURCE_DIR
set -euo pipefail
run=$1 root=$2 replay=$3 learn=$4 src=$5
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
cp "$src/examples/VIREO.INI" VIREO.INI
session=Z:$src/examples/hisense-actions.mode2
remote=Z:$src/examples/Samsung_HW-FM45.ir
fail() { echo "console-tools: $*" >&2; exit 1; }

"$run" "$root" "$replay" "$session" >replay.out
sed 's/$/\r/' "$src/tests/data/replay/hisense-actions.expected" | cmp - replay.out ||
  fail "redirected vireo-replay.exe differs from the transcript"
"$run" "$root" "$learn" --presses 4 "$remote" >learn.ini 2>learn.report
head -n 1 learn.ini | iconv -f CP1251 -t UTF-8 | grep -q '^; Составлен vireo-learn' ||
  fail "redirected VIREO.INI is not Windows-1251"
grep -q '^ожидается на ' learn.report || fail "redirected report is not UTF-8"

quoted() { printf '%q ' "$@"; }
script -qec "$(quoted "$run" "$root" "$replay" "$session")" /dev/null </dev/null >replay.tty
grep -q 'VIREO.INI прочитан' replay.tty || fail "vireo-replay.exe in a console: $(head -c 300 replay.tty)"
grep -q '# caption: Закрыть блокнот' replay.tty || fail "dry-run lines in a console"
script -qec "$(quoted "$run" "$root" "$learn" --presses 4 --out V.INI "$remote")" /dev/null \
  </dev/null >learn.tty
grep -q 'ожидается на ' learn.tty || fail "vireo-learn.exe's report in a console: $(head -c 300 learn.tty)"
