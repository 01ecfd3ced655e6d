#!/usr/bin/env bash
# Runs a Windows program under Wine in a throwaway prefix that lives in ROOT:
#   wine-run.sh ROOT PROGRAM [ARGS...]
# The prefix is made once (headless, no dialogs, Russian code page, Wine's
# fonts) and its server is kept warm between runs so that CTest stays fast.
set -euo pipefail
root=$1
shift
mkdir -p "$root"
root=$(cd "$root" && pwd)
export WINEPREFIX=$root/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$root/home XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/home/.config
export XDG_DATA_HOME=$root/home/.local/share XDG_CACHE_HOME=$root/home/.cache
export LOCPATH=$root/locale
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
if [ -d "$LOCPATH/ru_RU.UTF-8" ]; then export LC_ALL=ru_RU.UTF-8; fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
(
  flock 9
  if [ ! -f "$root/ready" ]; then
    "$here/wine-prefix.sh" "$root" >&2 9>&-
    touch "$root/ready"
  fi
  # Start the server and Wine's own services with their output on /dev/null:
  # services started by the first program would otherwise inherit its pipes
  # and keep CTest waiting until the server ends. Neither may inherit the
  # lock either, or the next run waits for the server to end.
  wineserver -p60 </dev/null >/dev/null 2>&1 9>&- || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
) 9>"$root/lock"
if [ -d "$LOCPATH/ru_RU.UTF-8" ]; then export LC_ALL=ru_RU.UTF-8; fi
exec wine "$@"
