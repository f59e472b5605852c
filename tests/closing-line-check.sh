#!/usr/bin/env bash
# The test command's closing line counts a step that failed without a test
# to count it (a build, a script), beside ctest's own failures, and says
# "0 failed" only when the command succeeds.
set -u
. "$(dirname "$0")/../scripts/steps.sh"
status=0
check() {
    local want=$1 want_rc=$2 got rc
    got=$( (eval "$3"; steps_close) 2>&1)
    rc=$?
    got=$(tail -n 1 <<<"$got")
    if [ "$got" = "$want" ] && [ "$rc" = "$want_rc" ]; then
        echo "ok   $3 -> $got"
    else
        echo "FAIL $3 -> '$got' exit $rc, want '$want' exit $want_rc"
        status=1
    fi
}
ctest_line() { echo "$1% tests passed, $2 tests failed out of $3"; }
check "5 passed, 0 failed" 0 'step_run a ctest_line 100 0 5; step_run b true'
check "0 passed, 1 failed" 1 'step_run "a build" false'
# A script that prints success and still fails is one failed step.
check "33 passed, 1 failed" 1 'step_run wine64 eval "ctest_line 100 0 33; exit 1"'
# ctest's failures are counted once, not again as a failed step.
check "3 passed, 2 failed" 1 'step_run t eval "ctest_line 60 2 5; exit 8"'
check "4 passed, 2 failed" 1 'step_run t ctest_line 80 1 5; step_failed figures'
exit $status
