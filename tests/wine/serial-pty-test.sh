#!/usr/bin/env bash
# Runs the serial line through Wine's real serial driver on a pseudo-terminal:
#   serial-pty-test.sh WINE_RUN WINE_ROOT TEST_EXE SOURCE_DIR WORK_DIR
# WINE_ROOT is a prefix of this test's own, since mapping the port means
# restarting its Wine server. The test maps COM7, and only COM7, to a fresh
# pseudo-terminal; every other port of the prefix stays mapped to nothing.
# The pseudo-terminal is held by a small native helper, and the modem lines
# are faked by an LD_PRELOAD shim; both are compiled here with the host's cc.
set -euo pipefail
wine_run=$1
mkdir -p "$2" "$5"
wine_root=$(cd "$2" && pwd)
test_exe=$3
source_dir=$4
work=$(cd "$5" && pwd)
port=7
# The host's own compiler: the build's compilers make Windows programs.
cc=$(command -v cc || command -v gcc || true)
[ -n "$cc" ] || { echo "no host C compiler (cc or gcc)"; exit 1; }

export WINEPREFIX=$wine_root/prefix
com_link=$WINEPREFIX/dosdevices/com$port
holder_pid=""
mapped=""

# Wine's registry editor, quietly (the first call also makes the prefix).
wine_reg() {
  "$wine_run" "$wine_root" reg "$@" </dev/null >/dev/null 2>&1 || {
    echo "wine reg $1 failed in $wine_root"
    return 1
  }
}

# Restarts this prefix's server so that its mount manager maps the ports anew.
restart_wine() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
}

cleanup() {
  local status=$?
  if [ -n "$holder_pid" ]; then
    kill "$holder_pid" 2>/dev/null || true
    wait "$holder_pid" 2>/dev/null || true
  fi
  if [ -n "$mapped" ]; then
    wine_reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /t REG_SZ /d "" /f || true
  fi
  # Nothing of this prefix outlives the test; the next run starts it afresh.
  restart_wine
  rm -f "$com_link"
  exit "$status"
}
trap cleanup EXIT

echo "== building the pty holder and the modem shim with $cc"
"$cc" -O2 -Wall -o "$work/pty-holder" "$source_dir/pty-holder.c"
"$cc" -O2 -Wall -shared -fPIC -o "$work/fakemodem.so" "$source_dir/fakemodem.c" -ldl

rm -f "$work/pty"
"$work/pty-holder" "$$" >"$work/pty" 2>&1 </dev/null &
holder_pid=$!
for _ in $(seq 100); do
  [ -s "$work/pty" ] && break
  kill -0 "$holder_pid" 2>/dev/null || break
  sleep 0.05
done
pty=$(head -n 1 "$work/pty")
case $pty in
  /dev/pts/*) [ -c "$pty" ] || { echo "no pseudo-terminal at $pty"; exit 1; } ;;
  *) echo "the pty holder failed: $pty"; exit 1 ;;
esac
echo "== pseudo-terminal $pty as COM$port"

# A dosdevices link alone is not enough: the prefix maps every port to ""
# in the registry, and Wine's mount manager removes a link it does not know
# of. The registry value makes the link, at the server's next start.
mapped=yes
wine_reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /t REG_SZ /d "$pty" /f
restart_wine
"$wine_run" "$wine_root" cmd /c exit </dev/null >/dev/null 2>&1 || true
target=$(readlink "$com_link" || true)
if [ "$target" != "$pty" ]; then
  echo "COM$port leads to '$target', not to $pty; not opening it"
  exit 1
fi

# Runs the test program with a filter and requires that it ran N tests and
# all of them passed: a filter that matches nothing would pass silently.
run_tests() {
  local filter=$1 count=$2
  shift 2
  local log=$work/${filter%%.*}.log
  set +e
  env "$@" VIREO_PTY_PORT=$port "$wine_run" "$wine_root" "$test_exe" --gtest_filter="$filter" \
    </dev/null >"$log" 2>&1
  local status=$?
  set -e
  cat "$log"
  if [ $status -ne 0 ] || ! grep -q "^\[  PASSED  \] $count test" "$log"; then
    echo "== $filter failed (exit $status)"
    return 1
  fi
}

echo "== without modem lines"
run_tests 'PtyTest.*' 1

echo "== with the modem shim"
in_file=$work/modem-in
out_file=$work/modem-out
: >"$in_file"
rm -f "$out_file"
run_tests 'FakeModemTest.*' 2 \
  LD_PRELOAD="$work/fakemodem.so" FAKEMODEM_FILE="$in_file" FAKEMODEM_OUT="$out_file" \
  VIREO_MODEM_IN="Z:$in_file" VIREO_MODEM_OUT="Z:$out_file"
echo "== serial line on a pseudo-terminal: passed"
