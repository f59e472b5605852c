#!/bin/sh
# Runs one fuzzer and turns its closing statistics into a figure line:
# executions, seconds, covered edges and features. The line is printed and,
# when the run found nothing, saved to FIGURE-FILE for tests/figures.sh.
# Usage: run_fuzzer.sh NAME FIGURE-FILE FUZZER [libFuzzer flags and corpus folders]
name=$1 figure=$2
shift 2
log=$(mktemp)
"$@" >"$log" 2>&1
status=$?
# "#20000 DONE cov: 181 ft: 402 corp: 57/2Kb ..." and "Done 20000 runs in 3 second(s)"
stats=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1)
runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "$log" | tail -n 1)
cov=$(printf '%s\n' "$stats" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
ft=$(printf '%s\n' "$stats" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
corp=$(printf '%s\n' "$stats" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
if [ "$status" != 0 ] || [ -z "$runs" ]; then
    cat "$log"
    rm -f "$log"
    echo "fuzz $name: failed (status $status)"
    exit 1
fi
line="figure: fuzz $name: ${runs% *} executions in ${runs#* } s, coverage ${cov:-?} edges, ${ft:-?} features, corpus ${corp:-?} inputs"
rm -f "$log"
echo "$line"
mkdir -p "$(dirname "$figure")" && echo "$line" >"$figure"
