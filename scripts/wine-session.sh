# Sourced by the end-to-end test and the demo: a virtual display, a Wine
# prefix with a desktop of its own, and the virtual infrared receiver on COM7,
# for running the real vireo.exe.
#   session_start ROOT      prefix and scratch files in ROOT (the prefix is kept
#                           between runs); sets DISPLAY, WINEPREFIX and the rest
#   session_vireo DIR EXE   starts vireo.exe in DIR with the receiver; PID in vireo_pid
#   session_shot FILE       a screenshot of the whole display
#   session_stop            ends everything the session started
# The receiver plays $VIRTUAL_RECEIVER_RECORDING (see
# tools/virtual-receiver/virtual-receiver.c); its DTR/RTS log is $session/receiver.log.
# With VIRTUAL_BOARD set before session_start, the far end of COM7 is also the
# USB receiver board, doing what $session/board says (tools/virtual-receiver/pty-holder.c).
# COM7 is the only port of the prefix that leads anywhere: every other name
# is an empty folder, which Wine cannot turn into a link to the machine's
# console, and this is checked before vireo.exe starts.

session_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
session_port=7
session_pids=()
session_scheduling=()
if chrt -f 5 true 2>/dev/null; then
  session_scheduling=(chrt -f 5)
elif nice -n -10 true 2>/dev/null; then
  session_scheduling=(nice -n -10)
fi

# The virtual board stands for hardware and Wine's server for the Windows
# kernel that serves the port: behind the program's real-time threads, on a
# busy machine they held the board's words back past the replay's delay.
session_above=()
if [ -n "${VIRTUAL_BOARD:-}" ] && chrt -f 6 true 2>/dev/null; then session_above=(chrt -f 6); fi

session_fail() {
  echo "session: $*" >&2
  return 1
}

session_start() {
  mkdir -p "$1"
  session=$(cd "$1" && pwd)
  "$session_top/scripts/wine-run.sh" "$session/wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
  local root=$session/wine
  export WINEPREFIX=$root/prefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export HOME=$root/home XDG_RUNTIME_DIR=$root/run XDG_CONFIG_HOME=$root/home/.config
  export XDG_DATA_HOME=$root/home/.local/share XDG_CACHE_HOME=$root/home/.cache
  export LOCPATH=$root/locale
  if [ -d "$LOCPATH/ru_RU.UTF-8" ]; then { export LC_ALL=ru_RU.UTF-8; } 2>/dev/null; fi
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true

  local cc
  cc=$(command -v cc || command -v gcc) || session_fail "no host C compiler" || return 1
  "$cc" -O2 -Wall -o "$session/pty-holder" "$session_top/tools/virtual-receiver/pty-holder.c" &&
    "$cc" -O2 -Wall -shared -fPIC -o "$session/virtual-receiver.so" \
      "$session_top/tools/virtual-receiver/virtual-receiver.c" -ldl || return 1

  rm -f "$session/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$session/display" \
    </dev/null >/dev/null 2>&1 &
  session_pids+=($!)
  rm -f "$session/pty"
  "${session_above[@]}" "$session/pty-holder" "$$" ${VIRTUAL_BOARD:+"$session/board"} >"$session/pty" 2>&1 </dev/null &
  session_pids+=($!)
  local waited
  for waited in $(seq 100); do
    [ -s "$session/display" ] && [ -s "$session/pty" ] && break
    sleep 0.05
  done
  [ -s "$session/display" ] || session_fail "Xvfb did not start" || return 1
  export DISPLAY=:$(head -n 1 "$session/display")
  local pty
  pty=$(head -n 1 "$session/pty")
  [ -c "$pty" ] || session_fail "no pseudo-terminal: $pty" || return 1

  local n
  for n in $(seq 1 256); do
    if [ "$n" -eq "$session_port" ]; then
      # The prefix may hold an empty folder on every name; ours must be free.
      rmdir "$WINEPREFIX/dosdevices/com$n" 2>/dev/null || true
      continue
    fi
    if [ -L "$WINEPREFIX/dosdevices/com$n" ]; then rm -f "$WINEPREFIX/dosdevices/com$n"; fi
    mkdir -p "$WINEPREFIX/dosdevices/com$n"
  done
  cat >"$session/session.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]
"COM$session_port"="$pty"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="1280x1024"
REG
  wine regedit /S "$session/session.reg" </dev/null >/dev/null 2>&1
  # The port mapping takes effect when the server starts again.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  "${session_above[@]}" wineserver -p60 </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  session_check_ports "$pty"
}

# Only COM7 may be a link, and only to our pseudo-terminal.
session_check_ports() {
  local entry target
  for entry in "$WINEPREFIX"/dosdevices/com*; do
    [ -L "$entry" ] || continue
    target=$(readlink "$entry")
    if [ "$(basename "$entry")" != "com$session_port" ] || [ "$target" != "$1" ]; then
      session_fail "$(basename "$entry") leads to $target; not starting vireo.exe"
      return 1
    fi
  done
  [ "$(readlink "$WINEPREFIX/dosdevices/com$session_port")" = "$1" ] ||
    session_fail "COM$session_port is not mapped to $1"
}

session_vireo() {
  session_check_ports "$(head -n 1 "$session/pty")" || return 1
  # The worker samples the line in real time: on a busy machine an ordinary
  # thread is held for milliseconds now and then, which garbles a code. Real-
  # time scheduling (where allowed) keeps it running.
  (cd "$1" && exec "${session_scheduling[@]}" env LD_PRELOAD="$session/virtual-receiver.so" \
    VIRTUAL_RECEIVER_LOG="$session/receiver.log" wine "$2" </dev/null >/dev/null 2>&1) &
  vireo_pid=$!
}

session_shot() { import -window root "$1" 2>/dev/null; }

session_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  local pid
  for pid in "${session_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  session_pids=()
}
