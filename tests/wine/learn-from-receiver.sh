#!/usr/bin/env bash
# The learning window end to end under Wine: the real vireo.exe reads three
# RC-5 buttons from the virtual receiver (one of them with a press that
# disagrees), learns them, merges them into VIREO.INI and then runs their
# commands.
#   learn-from-receiver.sh VIREO_EXE ROBOT_EXE WORK_DIR
set -euo pipefail
. "$(dirname "$0")/robot-test.sh" 300 "$@"
export VIRTUAL_RECEIVER_RECORDING=$run/recording.mode2 VIRTUAL_RECEIVER_FOLLOW=1
# Wine's wait for an edge wakes 0.5 to 1.2 ms late, which a press's first
# burst loses (the driver's wait on Windows wakes at once): played eight
# times slower, that is less than the quarter two presses may differ by.
# A press is then each button's first frame alone, since its repeat would
# come after more than the 300 ms that end a press.
export VIRTUAL_RECEIVER_SLOWER=8

learning="Обучение"
status() { robot text "$learning" 1103; }
# Plays a button of the corpus recording now, as one press.
play() {
  { echo "space 20000"
    awk -v name="# $1" '$0 == name { on = 1; next } /^#/ || $2 > 50000 { on = 0 } on' \
      "$top/tests/data/wine/rc5-presses.mode2"; } >"$run/next.mode2"
  mv "$run/next.mode2" "$VIRTUAL_RECEIVER_RECORDING"
}
# Presses a button and waits for the status line to change; prints it.
press() {
  local before i now
  before=$(status)
  play "$1"
  for i in $(seq 40); do
    sleep 0.25
    now=$(status)
    [ "$now" != "$before" ] && break
  done
  echo "$now"
}
# Presses a button until the status holds a text, as a user asked again
# would: a busy machine may hold the worker past a press's first burst now
# and then.
until_status() {
  local k last
  for k in 1 2 3 4 5 6 7; do
    last=$(press "$1")
    [[ "$last" == *"$2"* ]] && break
  done
  echo "$last"
}
capture() { until_status "$1" записана; }
name() { robot settext "$learning" 1101 "$1" click "$learning" 1102 >/dev/null; sleep 0.3; }

# The user's VIREO.INI: the corpus remote's, on port 7, with Russian names
# and an action of the user's own on Left (CLOSE of a window that does not
# exist), which learning must keep.
sed -e '/^;/d' -e "s/^Port=.*/Port=$session_port/" -e 's/^Descr=Up$/Descr=Вверх/' \
  -e 's/^Descr=Left$/Descr=Влево/' -e 's/^Descr=Back$/Descr=Назад/' \
  -e '/^\[COMMAND2\]/,/^Descr/ s/^Action=$/Action=CLOSE\nParam1=NOWINDOW/' \
  "$top/tests/data/wine/rc5.ini" | sed 's/$/\r/' | iconv -f UTF-8 -t CP1251 >"$run/VIREO.INI"
cp "$run/VIREO.INI" "$work/old-ini"
: >"$VIRTUAL_RECEIVER_RECORDING"

session_vireo "$run" "$vireo_exe"
robot wait Vireo 20000 syscommand Vireo 16 wait "$settings" 5000 move "$settings" 0 0 >/dev/null
robot click "$settings" 1012 wait "$learning" 5000 >/dev/null && r=ok || r=no
check "\"Обучение...\" opens the learning window" $r "no window"
sleep 2
[ -f "$run/VIREO-learning.ini" ] && r=ok || r=no
check "the worker reads a learning VIREO of its own" $r "no VIREO-learning.ini"

name "Вверх"
check_has "a first press is taken" "$(press Up)" "совпадают 1 из 3"
session_shot "$shots/learning-press.png"
check_has "a press of another button asks for another press" "$(press Left)" "не совпало"
check_has "agreeing presses capture the button" "$(capture Up)" "«Вверх» записана"

name "Влево"
check_has "a second button" "$(capture Left)" "«Влево» записана"
name "Назад"
check_has "the signal of a captured button is named" "$(until_status Up "сигнал кнопки")" "сигнал кнопки «Вверх»"
check_has "a third button" "$(capture Back)" "«Назад» записана"
log=$(robot text "$settings" 1000)
printf '%s\n' "$log" | grep -Eq '^\([0-9]+\)$' && r=no || r=ok
check "no command runs while the window is open" $r "$(printf '%s\n' "$log" | tail -n 5)"

# "Готово", then the status it ends with.
learn() {
  robot click "$learning" 1105 >/dev/null
  local i
  for i in $(seq 240); do
    sleep 0.5
    done_status=$(status)
    [[ "$done_status" == *"Идёт обучение"* ]] || break
  done
}
# A file in the way of the new VIREO.INI: a message, and the old file stays.
mkdir "$run/VIREO.INI.new"
learn
[[ "$done_status" == *"Не удалось записать VIREO.INI"* ]] && cmp -s "$run/VIREO.INI" "$work/old-ini" &&
  r=ok || r=no
check "a VIREO.INI that cannot be written is told and left as it was" $r "$done_status"
session_shot "$shots/learning-not-written.png"
rmdir "$run/VIREO.INI.new"
learn
check_has "\"Готово\" learns and writes VIREO.INI" "$done_status" "VIREO.INI записан"
check_has "the learner's report in the window" "$(robot text "$learning" 1104)" "ожидается"
session_shot "$shots/learning-done.png"

new=$(iconv -f CP1251 -t UTF-8 "$run/VIREO.INI" | tr -d '\r')
section() { printf '%s\n' "$new" | awk -v d="Descr=$1" '/^\[/ { s = $0 } $0 == d { print s }' | tr -d '[]COMAND'; }
up=$(section Вверх) left=$(section Влево) back=$(section Назад)
[ -n "$up" ] && [ -n "$left" ] && [ -n "$back" ] && [ "$(section Right)" = 4 ] && r=ok || r=no
check "three learned sections and the unlearned one after them" $r "$new"
printf '%s\n' "$new" | grep -q '^EDGE_WAIT=' && printf '%s\n' "$new" | grep -q '^Port=7$' &&
  printf '%s\n' "$new" | awk -v s="[COMMAND$left]" '$0 == s { on = 1; next } /^\[/ { on = 0 } on' |
  grep -q '^Action=CLOSE$' && r=ok || r=no
check "the old port and the old action of a learned button kept" $r "$new"
cmp -s "$run/VIREO.INI.bak" "$work/old-ini" && r=ok || r=no
check "VIREO.INI.bak is the old file" $r "differs"
grep -c '^name: ' "$run/VIREO-learned.ir" | grep -qx 9 && r=ok || r=no
check "the recordings in VIREO-learned.ir" $r "$(grep '^name: ' "$run/VIREO-learned.ir" | tr '\n' ' ')"

# The receiver would play the last press again when the worker restarts.
: >"$run/next.mode2"
mv "$run/next.mode2" "$VIRTUAL_RECEIVER_RECORDING"
robot close "$learning" gone "$learning" 10000 >/dev/null && r=ok || r=no
check "the window closes" $r "still open"
sleep 2
[ ! -f "$run/VIREO-learning.ini" ] && r=ok || r=no
check "... and its learning file is gone" $r "left behind"
commands() { robot text "$settings" 1000 | grep -Ec "^\($1\)$" || true; }
for b in "Up $up" "Left $left" "Back $back"; do
  set -- $b
  before=$(commands "$2")
  for k in 1 2 3; do
    play "$1"
    sleep 2
    [ "$(commands "$2")" -gt "$before" ] && break
  done
  [ "$(commands "$2")" -gt "$before" ] && r=ok || r=no
  check "$1 runs its learned command ($2)" $r "$(robot text "$settings" 1000 | tail -n 8)"
done
log=$(robot text "$settings" 1000 | sed -n '/Тред запущен/,$p' | tail -n +2)
others=$(printf '%s\n' "$log" | grep -E '^\([0-9]+\)$' | grep -Ev "^\\(($up|$left|$back)\\)$" || true)
[ -z "$others" ] && r=ok || r=no
check "... and no other command runs" $r "$others"

robot click "$settings" 1012 wait "$learning" 5000 close Vireo >/dev/null || true
for i in $(seq 100); do kill -0 "$vireo_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$vireo_pid" 2>/dev/null && r=no || r=ok
check "closing the program while learning ends it" $r "still running"
robot_test_end
