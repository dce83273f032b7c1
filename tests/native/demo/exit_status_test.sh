#!/bin/sh
# How the demo ends when the environment or the script is wrong: the backend selection, a
# script that cannot be read or parsed, a failed expectation, an odd screen size.
# Usage: exit_status_test.sh DEMO WORKDIR
set -u
demo=$1 work=$2
failures=0

# check NAME EXPECTED-STATUS EXPECTED-STDERR-SUBSTRING [VAR=VALUE...]
check() {
  name=$1 want=$2 text=$3
  shift 3
  env "$@" timeout 60 "$demo" > "$work/out.txt" 2> "$work/err.txt"
  got=$?
  if [ "$got" != "$want" ] || { [ -n "$text" ] && ! grep -qF -- "$text" "$work/err.txt"; }; then
    echo "FAIL $name: status $got (wanted $want), stderr:"
    cat "$work/err.txt"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

printf 'dump\nexpect "no such text"\n' > "$work/expect.script"
printf 'dump\njump 3 4\nidle x\n' > "$work/bad.script"
printf 'dump\nexpect "window \\"Armonix demo\\" 100 100 300 160 visible active"\nkey Ctrl+Q\n' > "$work/good.script"

check unknown-backend 1 "ARMONIX_NATIVE=quartz is neither fltk nor headless" ARMONIX_NATIVE=quartz
check no-display 1 "to run without a desktop set ARMONIX_NATIVE=headless" ARMONIX_NATIVE= DISPLAY=
check missing-script 2 "cannot read the script $work/none.script" ARMONIX_NATIVE=headless ARMONIX_SCRIPT="$work/none.script"
check bad-script 2 "$work/bad.script:3: idle needs a count of 0 or more" ARMONIX_NATIVE=headless ARMONIX_SCRIPT="$work/bad.script"
check failed-expectation 3 ":2: expected \"no such text\" in: window" ARMONIX_NATIVE=headless ARMONIX_SCRIPT="$work/expect.script"
check good-script 0 "" ARMONIX_NATIVE=headless ARMONIX_SCRIPT="$work/good.script"
check odd-screen 0 "ARMONIX_SCREEN=huge is not WIDTHxHEIGHT" ARMONIX_NATIVE=headless ARMONIX_SCREEN=huge ARMONIX_SCRIPT="$work/good.script"
grep -q "jump" "$work/err.txt" && { echo "FAIL: a later run repeated an old error"; failures=$((failures + 1)); }
exit $failures
