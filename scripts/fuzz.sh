#!/usr/bin/env bash
# Long fuzz runs: each fuzzer for MINUTES minutes, one after the other, on a
# corpus kept in the build tree between runs (build/host/fuzz-corpus/NAME),
# then one line of executions and coverage per fuzzer.
# Usage: scripts/fuzz.sh MINUTES [NAME...]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
minutes=${1:?usage: scripts/fuzz.sh MINUTES [NAME...]}
shift
bash "$root/scripts/build.sh" >/dev/null || exit 1

fuzz=$build/host/tests/fuzz
seeds=$fuzz/seeds
declare -A corpus=(
    [resfile]="$seeds/resfile"
    [szdd_reader]="$seeds/szdd $seeds/szdd_files"
    [szdd_roundtrip]="$seeds/szdd_files"
    [log]="$root/tests/fuzz/log_corpus"
    [entry_name]="$root/tests/fuzz/name_corpus"
    [record_check]="$root/tests/fuzz/record_corpus"
)
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(resfile szdd_reader szdd_roundtrip log entry_name record_check)

status=0
summary=()
for name in "${names[@]}"; do
    binary=$fuzz/fuzz_$name
    if [ ! -x "$binary" ] || [ -z "${corpus[$name]+x}" ]; then
        echo "fuzz.sh: no fuzzer $name" >&2
        status=1
        continue
    fi
    keep=$build/host/fuzz-corpus/$name
    mkdir -p "$keep"
    echo "== $name for $minutes min"
    # shellcheck disable=SC2086
    line=$("$root/tests/fuzz/run_fuzzer.sh" "$name" "$build/host/fuzz-corpus/$name.txt" "$binary" \
        -max_total_time=$((minutes * 60)) -print_final_stats=1 \
        -artifact_prefix="$build/host/fuzz-corpus/${name}_" "$keep" ${corpus[$name]})
    [ $? = 0 ] || status=1
    echo "$line" | tail -n 1
    summary+=("$(echo "$line" | tail -n 1)")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
