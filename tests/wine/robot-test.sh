# Sourced by the tests that run the real vireo.exe under Wine with the robot:
#   . robot-test.sh LIMIT VIREO_EXE ROBOT_EXE WORK_DIR
# Runs the test again under LIMIT seconds (VIREO_E2E_LIMIT overrides), so a
# hung program fails it; then starts a session (scripts/wine-session.sh) with
# the scratch folder $run and the screenshots in $shots.
vireo_exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
robot_exe=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
mkdir -p "$4"
work=$(cd "$4" && pwd)
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
limit=${VIREO_E2E_LIMIT:-$1}
. "$top/scripts/wine-session.sh"

if [ -z "${VIREO_E2E_INNER:-}" ]; then
  VIREO_E2E_INNER=1 timeout -k 10 "$limit" "$0" "${@:2}" && exit 0
  status=$?
  [ $status -eq 124 ] && echo "FAILED: a step timed out, or the whole run outlasted $limit s: vireo.exe hung?"
  exit $status
fi

run=$work/run
shots=$work/shots
rm -rf "$run" "$shots" "$work/receiver.log"
mkdir -p "$run" "$shots"
trap session_stop EXIT
session_start "$work"

settings="Настройки "
failures=0
check() {
  if [ "$2" = ok ]; then echo "ok   $1"; else
    echo "FAIL $1: $3"
    failures=$((failures + 1))
  fi
}
# The check NAME passes when TEXT holds PATTERN.
check_has() { [[ "$2" == *"$3"* ]] && check "$1" ok || check "$1" no "$2"; }
robot() { timeout 60 wine "$robot_exe" "$@" </dev/null 2>&1 | tr -d '\r'; }
log_text() { robot text "$settings" 1000; }
# Waits until the log box holds PATTERN (an extended regular expression).
wait_log() {
  local i
  for i in $(seq 40); do
    log_text | grep -Eq -- "$1" && return 0
    sleep 0.25
  done
  return 1
}
wait_lamp() {
  local i
  for i in $(seq 20); do
    [ "$(robot lamp Vireo)" = "$1" ] && return 0
    sleep 0.25
  done
  return 1
}
robot_test_end() {
  echo "screenshots: $shots"
  [ $failures -eq 0 ] && echo "== all passed" || { echo "== $failures failed"; exit 1; }
}
