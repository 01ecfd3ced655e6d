#!/usr/bin/env bash
# vireo.exe end to end under Wine: real windows, threads and clock, the real
# serial driver on a pseudo-terminal with the virtual receiver on COM7, and
# the robot at the screen.
#   end-to-end.sh VIREO_EXE ROBOT_EXE WORK_DIR
# Screenshots go to WORK_DIR/shots. Every wait is bounded, and the whole run
# is cut off after VIREO_E2E_LIMIT seconds (default 420): a hung program fails.
set -euo pipefail
. "$(dirname "$0")/robot-test.sh" 420 "$@"
export VIRTUAL_RECEIVER_RECORDING=$run/recording.mode2

last_dtr() { grep DTR "$work/receiver.log" | tail -n 1 | cut -d' ' -f3; }
# One button of the example session, as mode2 lines.
press() { awk -v name="# $1" '$0 == name { on = 1; next } /^#/ { on = 0 } on' \
  "$top/examples/hisense-session.mode2"; }
play() { printf '%s\n' "$@" >"$VIRTUAL_RECEIVER_RECORDING"; }

# The test's VIREO.INI: the example's settings, COM7, and two commands for
# buttons "1" and "Last" of the example recording. Under Wine a busy
# machine holds the sampling thread for milliseconds now and then, even
# with real-time scheduling (seen on two-core virtual machines, often
# enough to garble a press): the receiver plays ten times slower, and the
# times of the settings are ten times longer. VIREO_E2E_SLOWER=1 plays it
# at its own speed.
slower=${VIREO_E2E_SLOWER:-10}
export VIRTUAL_RECEIVER_SLOWER=$slower
echo "(the receiver plays $slower times slower than real time)"
win_run=$(winepath -w "$run")
win_robot=$(winepath -w "$robot_exe")
{
  printf '%s\n' "[CONFIG]" TIMER_TYPE=0 PACKET_SLEEP=$((100 * slower)) SLEEP_TIMEBIG=1 \
    SLEEP_TIMESMALL=100 PACKET_STOP_PAUSE=$((8 * slower)) PACKET_STOP_VALUE=1 \
    PACKET_START_PAUSE=$((1 * slower)) PACKET_START_VALUE=0 BUFFER_SIZE=$((130 * slower)) ADDPRECISION=50 PACKET_MAX=200 PACKET_MIN=190 PACKET_VALID=20 \
    PACKET_ELEMENT=0 CLASS_PRIORITY=2
  printf '%s\n' "[COM]" "Port=$session_port" "[COMMAND1]" "Value=001000001101111110001000011101111" \
    "Action=OPEN" "Param1=$win_robot" "Param2=$win_run" "Param3=marker opened.txt" \
    "Descr=Помощник" "[COMMAND2]" "Value=001000001101111101011000101001111" \
    "Action=CLOSE" "Param1=ТЕСТОВОЕ" "Descr=Закрыть"
} | sed 's/$/\r/' | iconv -f UTF-8 -t CP1251 >"$run/VIREO.INI"

echo "== start-up, and two buttons carried out"
# A quiet start gives the robot time to watch for the first caption.
play "space $((3000000 / slower))" "$(press 1)" "space $((2500000 / slower))" "$(press Last)"
(cd "$run" && exec wine "$robot_exe" show "Тестовое окно" closed.txt </dev/null >/dev/null 2>&1) &
robot wait "Тестовое окно" 10000 >/dev/null
session_vireo "$run" "$vireo_exe"
robot wait Vireo 20000 >/dev/null
session_shot "$shots/main-window.png"
if wait_lamp green; then check "small icon turns green" ok; else check "small icon turns green" no "$(robot lamp Vireo)"; fi

shown=$(robot caption Vireo 0 15000 || true)
sleep 0.3
session_shot "$shots/caption-mode.png"
[[ "$shown" == "caption=0 topmost=1 "*" Помощник" ]] && r=ok || r=no
check "caption mode on a button: no title bar, topmost, its Descr" $r "$shown"
ended=$(robot caption Vireo 1 3000 || true)
[[ "$ended" == "caption=1 topmost=0 "* ]] && r=ok || r=no
check "caption mode ends after the hold" $r "$ended"
moved=$(( $(echo "$shown" | cut -d' ' -f4) - $(echo "$ended" | cut -d' ' -f4) ))
[ "$moved" -eq 19 ] && r=ok || r=no
check "caption mode moves the window by 19 pixels" $r "$moved"
for i in $(seq 40); do [ -f "$run/opened.txt" ] && break; sleep 0.1; done
[ -f "$run/opened.txt" ] && r=ok || r=no
check "OPEN starts the helper program" $r "no marker file"
# The held button's repeats may bring its caption back first.
for i in 1 2 3 4 5 6; do
  second=$(robot caption Vireo 0 15000 || true)
  [[ "$second" == *" Помощник" ]] || break
  robot caption Vireo 1 3000 >/dev/null || true
done
[[ "$second" == *" Закрыть" ]] && r=ok || r=no
check "the second button's caption" $r "$second"
for i in $(seq 100); do [ -f "$run/closed.txt" ] && break; sleep 0.1; done
[ -f "$run/closed.txt" ] && r=ok || r=no
check "CLOSE closes the window by a Cyrillic title fragment" $r "the helper window stayed"

echo "== the settings window"
robot syscommand Vireo 16 wait "$settings" 5000 move "$settings" 0 0 >/dev/null
sleep 0.5
log=$(log_text)
expected=("Рабочая директория Z:" "VIREO.INI прочитан" "Используется высокоуровневый таймер"
  "Открыт COM7" "DTR включен" "RTS включен" "Обнаружен фотоприемник" "Таймер тикает"
  "Длинна буфера $((130 * slower)) мс" "Начало пакета" "Завершение пакета" "Установлен высокий приоритет"
  "Тред запущен" "^\(1\)$" "^\(2\)$")
rest=$log
r=ok
for line in "${expected[@]}"; do
  found=$(printf '%s\n' "$rest" | grep -Enm1 -- "$line" | cut -d: -f1 || true)
  if [ -z "$found" ]; then r=no && missing=$line && break; fi
  rest=$(printf '%s\n' "$rest" | tail -n +"$((found + 1))")
done
check "start-up lines in order in the log box" $r "missing or out of order: ${missing:-}"$'\n'"$log"

echo "== STOP, START and the signal view"
play "$(press Mute)"
robot click "$settings" 1006 >/dev/null
wait_log "Тред остановлен" && r=ok || r=no
check "STOP ends the worker" $r "$(log_text | tail -n 3)"
wait_lamp red && r=ok || r=no
check "the lamp turns red" $r "$(robot lamp Vireo)"
sleep 0.5
[ "$(last_dtr)" = off ] && r=ok || r=no
check "DTR is off after STOP" $r "$(tail -n 2 "$work/receiver.log")"
robot click "$settings" 1003 >/dev/null
wait_log "Нет комманды для" && r=ok || r=no
check "START runs a new worker that reads the button" $r "$(log_text | tail -n 5)"
sleep 1
session_shot "$shots/settings-window.png"
band=$(robot pixels "$settings" 1011 7,68 57,68 8,68 60,82 3,1)
[ "$band" = "00FF00 00FF00 000000 000000 000000" ] && r=ok || r=no
check "ruler band, ticks at x = 7 and 57, row 0's tag" $r "$band"
row0=$(robot scan "$settings" 1011 1 7 740)
[[ "$row0" == *000000* && "$row0" == *FFFFFF* ]] && r=ok || r=no
check "row 0 draws the reference in black and white" $r "$row0"
newest=0
for k in $(seq 1 19); do
  [ "$(robot pixels "$settings" 1011 "3,$((3 * k + 6))")" = 000000 ] && newest=$k
done
row1=$(robot scan "$settings" 1011 9 7 740)
[[ "$row1" == *000000* && "$row1" == *FFFFFF* ]] && r=ok || r=no
check "row 1 draws the first packet in black and white" $r "$row1"
row=$(robot scan "$settings" 1011 $((3 * newest + 6)) 0 740)
tags=$(robot pixels "$settings" 1011 0,$((3 * newest + 6)) 3,$((3 * newest + 6)))
odd=$(printf '%s\n' $row | cut -d: -f1 | grep -Ev '^(000000|FFFFFF|FF0000|00FF00|0000FF|FF00FF)$' || true)
[ "$newest" -ge 1 ] && [ -z "$odd" ] && [ "$tags" = "00FF00 000000" ] && r=ok || r=no
check "the newest packet row ($newest) only in the pens' colours" $r "$row / $tags"

robot click "$settings" 1003 >/dev/null
wait_log "Попытка запуска второй копии Vireo" && r=ok || r=no
check "START while running logs the second-copy line" $r "$(log_text | tail -n 3)"
wait_lamp red && r=ok || r=no
check "... and stops the running worker" $r "$(robot lamp Vireo)"

echo "== an RC-5 handset, read with the edge wait and the code by periods"
# The settings vireo-learn wrote for it, the times stretched as the receiver
# is slowed, and twice more: Wine's wait for an edge is a thread of its own
# that polls CTS every millisecond, started anew for each wait, and may wake
# several milliseconds late, past the first burst of a press at ten times
# its length. The worker is stopped, so the next START reads them.
cp "$run/VIREO.INI" "$work/usual-settings"
awk -F= -v k="$((2 * slower))" -v port="$session_port" '
  /^;/ { next }
  $1 ~ /^(PACKET_SLEEP|PACKET_STOP_US|BUFFER_SIZE|CODE_LONG_BURST)$/ { print $1 "=" $2 * k; next }
  $1 == "CODE_PERIODS" {
    n = split($2, b, ","); s = ""
    for (i = 1; i <= n; i++) s = s (i > 1 ? "," : "") b[i] * k
    print $1 "=" s; next
  }
  $1 == "Port" { print "Port=" port; next }
  { print }' "$top/tests/data/wine/rc5.ini" | sed 's/$/\r/' | iconv -f UTF-8 -t CP1251 >"$run/VIREO.INI"
rc5() { awk -v name="# $1" '$0 == name { on = 1; next } /^#/ { on = 0 } on { print $1, $2 * 2 }' \
  "$top/tests/data/wine/rc5-presses.mode2"; }
play "space 300000" "$(rc5 Up)" "space 200000" "$(rc5 Left)" "space 200000" "$(rc5 Back)" \
  "space 200000"
robot click "$settings" 1003 >/dev/null
for i in $(seq 120); do log_text | grep -q '^(4)$' && break; sleep 0.5; done
log=$(log_text)
rest=$(printf '%s\n' "$log" | sed -n '/Код по периодам пар/,$p')
order=$(printf '%s\n' "$rest" | grep -E '^(Ожидание фронта CTS включено|\([0-9]+\))$' | uniq | tr '\n' ' ')
# Each press sends two frames; a frame garbled by the machine may go
# unread, but none may run another button's command.
[ "$order" = "Ожидание фронта CTS включено (1) (2) (4) " ] && r=ok || r=no
check "RC-5 buttons Up, Left and Back run commands 1, 2 and 4, and no other" $r \
  "$order"$'\n'"$(printf '%s\n' "$rest" | tail -n 16)"
session_shot "$shots/settings-window-rc5.png"
letters=$(robot scan "$settings" 1011 76 7 740)
[[ "$letters" == *FFFF00* ]] && r=ok || r=no
check "the ruler band shows the code's letters in yellow" $r "$letters"
robot click "$settings" 1006 >/dev/null
wait_lamp red || true
# A key the file no longer holds keeps its last value until the program
# ends, as every key does: the opt-in keys are switched off by empty values.
{ cat "$work/usual-settings"
  printf '%s\r\n' "[CONFIG]" EDGE_WAIT= PACKET_START_US= PACKET_STOP_US= CODE_PERIODS= \
    CODE_LONG_BURST= LAST_COMMAND=; } >"$run/VIREO.INI"

echo "== no receiver"
play absent
robot click "$settings" 1003 >/dev/null
wait_log "Не найден фотоприемник" && r=ok || r=no
check "CTS off: the start-up failure is logged" $r "$(log_text | tail -n 4)"
sleep 1
[ "$(last_dtr)" = off ] && [ "$(robot lamp Vireo)" = red ] && r=ok || r=no
check "... the port is closed and the lamp red" $r "$(tail -n 2 "$work/receiver.log")"

echo "== packets arriving all the time"
play "$(press Vol_up)" "space $((150000 / slower))" loop
robot click "$settings" 1003 >/dev/null
wait_lamp green || true
robot click "$settings" 1008 >/dev/null
[ "$(robot check "$settings" 1008)" = 1 ] && wait_log '^[01?] +[0-9]+\|' && r=ok || r=no
check "\"Отладка\" logs each packet's code with its ratios" $r "$(log_text | tail -n 2)"
robot click "$settings" 1008 >/dev/null
for i in $(seq 20); do
  robot close "$settings" gone "$settings" 5000 syscommand Vireo 16 wait "$settings" 5000 >/dev/null ||
    break
done
[ "$i" -eq 20 ] && robot text "$settings" 1000 >/dev/null && r=ok || r=no
check "the settings window opened and closed 20 times" $r "stopped at $i"
robot move "$settings" 0 0 >/dev/null
args=()
for i in $(seq 100); do args+=(click "$settings" 1006 sleep 30 click "$settings" 1003 sleep 30); done
robot "${args[@]}" >/dev/null
sleep 2
robot click "$settings" 1006 >/dev/null
wait_lamp red && r=ok || r=no
check "after 100 STOP/START cycles one STOP ends it all" $r "$(log_text | tail -n 3)"
robot click "$settings" 1003 >/dev/null
wait_lamp green && r=ok || r=no
check "... and START works again" $r "$(log_text | tail -n 3)"
sleep 1
robot close "$settings" gone "$settings" 5000 >/dev/null

start=$(date +%s%N)
robot close Vireo >/dev/null
ended=no
for i in $(seq 60); do
  if ! kill -0 "$vireo_pid" 2>/dev/null; then ended=yes && break; fi
  sleep 0.05
done
ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ $ended = yes ] && [ $ms -le 3000 ] && r=ok || r=no
check "closing while packets arrive ends the process ($ms ms)" $r "still running"
[ "$(last_dtr)" = off ] && r=ok || r=no
check "... with DTR off" $r "$(tail -n 2 "$work/receiver.log")"

robot_test_end
