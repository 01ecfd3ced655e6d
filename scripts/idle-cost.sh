#!/usr/bin/env bash
# What waiting for the CTS edge (EDGE_WAIT=1) costs and gains under Wine,
# with the virtual receiver on COM7 (scripts/wine-session.sh):
#  - idle cost: vireo.exe with a receiver and no signal, once polling the
#    quiet line (SLEEP_TIMEBIG=1) and once waiting for the edge; wake-ups per
#    second (voluntary context switches, thread by thread) and CPU time, for
#    vireo.exe, the prefix's wineserver and Wine's other processes;
#  - wake latency: how long after a CTS change of the receiver the serial
#    line's wait returns (tools/virtual-receiver/edge-latency.cpp).
#   idle-cost.sh [VIREO_EXE] [SECONDS]   defaults: build/windows/src/vireo.exe, 20
# With a third argument "board": the receiver board on USB against the CTS
# receiver instead, both with tests/data/wine/rc5.ini (EDGE_WAIT=1), idle
# and while RC-5 presses play over and over (the virtual board's stream,
# tests/data/wine/rc5-board.stream, and the same presses on CTS); the
# virtual board counts under "other".
# The prefix and scratch files stay in build/idle-cost.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
vireo_exe=$(realpath "${1:-$top/build/windows/src/vireo.exe}")
seconds=${2:-20}
work=$top/build/idle-cost
if [ "${3:-}" = board ]; then export VIRTUAL_BOARD=1; fi
. "$top/scripts/wine-session.sh"
trap session_stop EXIT
mkdir -p "$work/run"
session_start "$work"
unset VIRTUAL_RECEIVER_RECORDING  # no recording: CTS stays on, a quiet line
# Figures with a decimal point, whatever locale Wine is given.
calc() { LC_ALL=C awk "$@"; }

# One line per thread of the prefix's processes: GROUP TID SWITCHES CPU_NS.
server_dir=server-$(stat -c '%d %i' "$WINEPREFIX" | xargs printf '%x-%x')
snapshot() {
  local p group t
  for p in /proc/[0-9]*; do
    if [ "${p#/proc/}" = "$vireo_pid" ]; then
      group=vireo.exe
    elif [[ "$(readlink "$p/cwd" 2>/dev/null)" == */"$server_dir" ]]; then
      group=wineserver
    elif tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      group=other
    else
      continue
    fi
    for t in "$p"/task/*; do
      awk -v g="$group" -v t="${t##*/}" '/^voluntary_ctxt_switches/ { s = $2 }
        FILENAME ~ /schedstat$/ { ns = $1 } END { print g, t, s, ns }' "$t/status" "$t/schedstat" \
        2>/dev/null || true
    done
  done
}

idle_run() {
  {
    printf '%s\n' "[CONFIG]" TIMER_TYPE=0 PACKET_SLEEP=100 SLEEP_TIMEBIG=1 SLEEP_TIMESMALL=100 \
      PACKET_STOP_PAUSE=8 PACKET_STOP_VALUE=1 PACKET_START_PAUSE=1 PACKET_START_VALUE=0 \
      BUFFER_SIZE=130 ADDPRECISION=50 PACKET_MAX=200 PACKET_MIN=190 PACKET_VALID=20 \
      PACKET_ELEMENT=0 CLASS_PRIORITY=2 "$@" "[COM]" "Port=$session_port"
  } | sed 's/$/\r/' >"$work/run/VIREO.INI"
  measure
}

# Runs vireo.exe with $work/run/VIREO.INI and prints what it cost.
measure() {
  rm -f "$session/receiver.log"
  session_vireo "$work/run" "$vireo_exe"
  local i
  for i in $(seq 100); do
    grep -q "DTR on" "$session/receiver.log" 2>/dev/null && break
    sleep 0.2
  done
  sleep 3  # past the start-up
  local start end
  start=$(date +%s%N)
  snapshot >"$work/before"
  sleep "$seconds"
  end=$(date +%s%N)
  snapshot >"$work/after"
  [[ "$(grep DTR "$session/receiver.log" | tail -n 1)" == *"DTR on" ]] ||
    echo "  the worker stopped: see $session/receiver.log"
  calc -v s="$(((end - start) / 1000000))e-3" -v main="$vireo_pid" '
    FNR == NR { sw[$2] = $3; ns[$2] = $4; next }
    { wake[$1] += $3 - sw[$2]; cpu[$1] += $4 - ns[$2]
      if ($1 == "vireo.exe" && $3 - sw[$2] >= s)
        line = line sprintf("    thread %-8s %6.0f wake-ups/s %6.2f %% CPU\n",
                            $2 == main ? "main" : $2, ($3 - sw[$2]) / s, ($4 - ns[$2]) / s / 1e7) }
    END { split("vireo.exe wineserver other", g, " ")
      for (i = 1; i <= 3; i++) {
        printf "  %-15s %6.0f wake-ups/s %6.2f %% CPU\n", g[i], wake[g[i]] / s, cpu[g[i]] / s / 1e7
        if (i == 1) printf "%s", line } }' "$work/before" "$work/after"
  kill "$vireo_pid" 2>/dev/null || true
  wait "$vireo_pid" 2>/dev/null || true
}

if [ "${3:-}" = board ]; then
  # RECEIVER is "" or "BOARD".
  rc5_run() {
    sed -e '/^;/d' -e "s/^Port=.*/Port=$session_port\nReceiver=$1/" \
      "$top/tests/data/wine/rc5.ini" | sed 's/$/\r/' >"$work/run/VIREO.INI"
    measure
  }
  tell_board() { echo "$@" >"$session/board.next" && mv "$session/board.next" "$session/board"; }
  { echo space 300000
    for b in Up Left Back; do
      awk -v n="# $b" '$0 == n { on = 1; next } /^#/ { on = 0 } on' "$top/tests/data/wine/rc5-presses.mode2"
      echo space 600000
    done
    echo loop; } >"$work/rc5-presses.mode2"
  tell_board silent
  echo "== CTS receiver, idle, $seconds s"
  rc5_run ""
  echo "== CTS receiver, RC-5 presses over and over, $seconds s"
  VIRTUAL_RECEIVER_RECORDING=$work/rc5-presses.mode2 rc5_run ""
  echo "== the board, idle, $seconds s"
  tell_board board
  rc5_run BOARD
  echo "== the board, RC-5 presses over and over, $seconds s"
  tell_board board "$top/tests/data/wine/rc5-board.stream" loop
  rc5_run BOARD
  exit 0
fi

echo "== idle, $seconds s, polling the quiet line (SLEEP_TIMEBIG=1)"
idle_run
echo "== idle, $seconds s, waiting for the edge (EDGE_WAIT=1)"
idle_run EDGE_WAIT=1

# Quiet stretches of 30 to 80 ms, each ended by a burst of 2 to 9 ms: the
# first edge finds a wait long pending, the second one begun at the first.
echo "== wake latency after a CTS change"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -I"$top/src" -o "$work/edge-latency.exe" \
  "$top/tools/virtual-receiver/edge-latency.cpp" "$top/src/platform/win32/Win32SerialLine.cpp" \
  "$top/src/platform/win32/CommApi.cpp"
awk 'BEGIN { for (i = 0; i < 60; i++)
  print i % 2 ? "space" : "pulse", i % 2 ? 30000 + i * 7919 % 50000 : 2000 + i * 1373 % 7000 }' \
  >"$work/edges.mode2"
session_check_ports "$(head -n 1 "$session/pty")"
(cd "$work" && exec "${session_scheduling[@]}" env LD_PRELOAD="$session/virtual-receiver.so" \
  VIRTUAL_RECEIVER_RECORDING="$work/edges.mode2" VIRTUAL_RECEIVER_LEAD_MS=300 \
  timeout 60 wine edge-latency.exe "$session_port" 60 </dev/null 2>/dev/null | tr -d '\r' \
  >"$work/wakes.txt") || echo "  edge-latency ended early"
echo "  DTR switched on within $(head -n 1 "$work/wakes.txt" | cut -d' ' -f2) us (latencies below may be that much short)"
awk 'BEGIN { n = k = 0 }
  FNR == NR { level = $1 == "pulse" ? 0 : 1
    if (level != last) { at[n] = t; gap[n] = n ? t - at[n - 1] : 1e9; want[n++] = level }
    last = level; t += $2; next }
  $1 != "dtr" { while (k + 1 < n && at[k + 1] <= $1) k++
    print ($2 != want[k] ? "wrong" : gap[k] >= 20000 ? "quiet" : "fresh"), $1 - at[k] }' \
  last=1 t=300000 "$work/edges.mode2" "$work/wakes.txt" >"$work/latency.txt"
names=("quiet after a quiet line (wait pending)" "fresh right after a wake (new wait)"
  "wrong wakes that saw the wrong level")
for name in "${names[@]}"; do
  { grep "^${name%% *} " "$work/latency.txt" || true; } | cut -d' ' -f2 | sort -n |
    calc -v name="${name#* }" '{ v[NR] = $1; s += $1 } END { if (NR) printf \
      "  %s: %d edges, latency us: median %d, mean %d, 90 %% %d, max %d\n",
      name, NR, v[int((NR + 1) / 2)], s / NR, v[int(NR * 0.9 + 0.5)], v[NR] }'
done
