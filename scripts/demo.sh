#!/usr/bin/env bash
# Shows the real vireo.exe at work without a receiver: under Wine, in a
# virtual display, with the virtual receiver on COM7 playing the example
# recording (a Hisense handset, seven presses) and the example VIREO.INI.
# Writes screenshots (the main window, caption mode on each button, the
# settings window with its log and signal view) and the event log to a
# folder, and prints its name.
#   scripts/demo.sh [RECORDING]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
recording=$(cd "$(dirname "${1:-$top/examples/hisense-session.mode2}")" && pwd)/$(basename "${1:-hisense-session.mode2}")
cd "$top"
scripts/setup.sh >&2
cmake --preset windows >/dev/null
cmake --build --preset windows --target vireo vireo-robot >&2
. scripts/wine-session.sh
out=$top/build/demo/output
rm -rf "$out" "$top/build/demo/run"
mkdir -p "$out" "$top/build/demo/run"
trap session_stop EXIT
echo "starting Wine in a virtual display..." >&2
session_start "$top/build/demo"
export VIRTUAL_RECEIVER_RECORDING=$recording
# Real time needs real-time scheduling on a busy machine; without it the
# receiver plays ten times slower and the settings' times grow alike.
slower=1
[ "${session_scheduling[0]:-}" = chrt ] || slower=10
export VIRTUAL_RECEIVER_SLOWER=$slower
# The example's port is COM1, which must never be opened here.
tr -d '\r' <examples/VIREO.INI | LC_ALL=C awk -F= -v k="$slower" -v port="$session_port" '
  BEGIN { OFS = "=" }
  /^Port=/ { $2 = port }
  /^(PACKET_SLEEP|PACKET_STOP_PAUSE|PACKET_START_PAUSE|BUFFER_SIZE)=/ { $2 = $2 * k }
  { print }' | sed 's/$/\r/' >build/demo/run/VIREO.INI

robot() { timeout 60 wine "$top/build/windows/tools/vireo-robot.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
settings="Настройки "
session_vireo build/demo/run "$top/build/windows/src/vireo.exe"
robot wait Vireo 20000 >/dev/null
sleep 1
session_shot "$out/main-window.png"
# The settings window opens over the main window: moved aside, both show.
# STOP and START play the recording again, now with the view attached.
robot syscommand Vireo 16 wait "$settings" 5000 move "$settings" 0 0 click "$settings" 1006 \
  sleep 1500 click "$settings" 1003 >/dev/null
# Each caption the buttons bring up, with its text.
: >"$out/captions.txt"
for i in 1 2 3 4 5 6; do
  robot caption Vireo 0 $((15000 * slower)) >>"$out/captions.txt" || break
  session_shot "$out/caption-$i.png"
  robot caption Vireo 1 $((15000 * slower)) >/dev/null || break
done
sleep 2
session_shot "$out/settings-window.png"
robot text "$settings" 1000 >"$out/event-log.txt"
robot close "$settings" gone "$settings" 5000 close Vireo gone Vireo 10000 >/dev/null || true
[ -s "$top/build/demo/receiver.log" ] && cp "$top/build/demo/receiver.log" "$out/"
cat "$out/event-log.txt"
echo
echo "screenshots and the event log: $out"
