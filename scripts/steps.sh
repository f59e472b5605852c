# What the test command counts: every test ctest ran, and every step that
# failed with no test to count it (the prerequisites, a build, a script, a
# run that never reached its tests). Such a step is named in the log and
# counted as one failed item, so the closing line never says "0 failed" while
# the command fails. Sourced by scripts/test.sh.
steps_summary=$(mktemp)
steps_failed=0

# step_failed WHAT: names the step in the log and counts it as failed.
step_failed() {
    echo "FAILED: $1"
    steps_failed=$((steps_failed + 1))
}

# ctest_counts FILE: "PASSED FAILED" over ctest's closing lines in FILE.
ctest_counts() {
    sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\2 \1/p' "$1" |
        awk '{ p += $1 - $2; f += $2 } END { print p + 0, f + 0 }'
}

# step_run WHAT COMMAND...: runs COMMAND with its output in the log and in
# the tally. A failure that ctest's own lines do not count is a failed step.
step_run() {
    local what=$1 out rc passed failed
    shift
    out=$(mktemp)
    "$@" 2>&1 | tee "$out"
    rc=${PIPESTATUS[0]}
    cat "$out" >>"$steps_summary"
    read -r passed failed < <(ctest_counts "$out")
    rm -f "$out"
    [ "$rc" = 0 ] || [ "$failed" -gt 0 ] || step_failed "$what (exit code $rc)"
    return "$rc"
}

# steps_close: the closing line; exits 0 only when nothing failed.
steps_close() {
    local passed failed
    read -r passed failed < <(ctest_counts "$steps_summary")
    rm -f "$steps_summary"
    failed=$((failed + steps_failed))
    echo "$passed passed, $failed failed"
    [ "$failed" = 0 ]
    exit
}
