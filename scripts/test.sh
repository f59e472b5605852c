#!/usr/bin/env bash
# Runs every test: host tests (sanitized) and fuzz runs, then the Wine tests
# and the end-to-end wizard tests on a virtual display.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
SECONDS=0

bash "$root/scripts/prereqs.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1

status=0
summary=$(mktemp)
# The 32-bit tests that run in the emulated machine, where the host runs no
# 32-bit programs: every end-to-end test, the rollback and the abort points.
# A program there runs 5 to 8 times slower; the other Wine tests and the
# benchmarks run in the host's wine64 run only.
vm32_set='^(e2e\.|wine\.(rollback|abort_points)_test$)'

run_ctest() {
    local dir=$1; shift
    local tool=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do tool+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift
    (cd "$dir" && "${tool[@]}" ctest --output-on-failure --timeout 600 "$@") | tee -a "$summary"
    [ "${PIPESTATUS[0]}" = 0 ] || status=1
}

echo "== host tests"
run_ctest "$build/host" env
# Wine's loader for 32-bit programs is a 32-bit Linux program; some virtual
# machines run no 32-bit code at all ("Exec format error"). There the 32-bit
# programs run in an emulated machine that does (scripts/vm32), and the whole
# Windows tree, benchmarks included, is built once more for 64-bit Windows and
# runs under wine64 on the host as a fast stand-in for the logic.
# KOVRA_VM32=1 takes that way on any machine, KOVRA_VM32=0 leaves the emulated
# machine out.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [ "${KOVRA_VM32:-}" != 1 ]; then
    echo "== Windows programs under Wine"
    run_ctest "$build/win32" xvfb-run -a -s "-screen 0 1024x768x24"
else
    echo "== Windows programs: this machine runs no 32-bit programs, so Wine cannot start setup.exe here;"
    echo "   the checks of the built files run on it, a 64-bit build's tests under wine64"
    run_ctest "$build/win32" env -- -L static
    wine64_out=$build/win64-tests.txt
    bash "$root/scripts/test-wine64.sh" | tee "$wine64_out" | tee -a "$summary"
    [ "${PIPESTATUS[0]}" = 0 ] || status=1
    if [ "${KOVRA_VM32:-}" != 0 ]; then
        echo "== the 32-bit setup.exe and uninst.exe and their tests in the emulated machine"
        guest_out=$build/vm32-tests.txt
        (cd "$build/win32" && bash "$root/scripts/vm32/run.sh" --timeout 3600 --share "$build" -- \
            bash "$root/scripts/vm32/wine-tests.sh" --timeout 1800 -R "$vm32_set") 2>&1 |
            tee "$guest_out" | tee -a "$summary"
        [ "${PIPESTATUS[0]}" = 0 ] || status=1
        bash "$root/scripts/vm32/figures.sh" "$guest_out" "$wine64_out"
    fi
fi

bash "$root/tests/figures.sh" "$build" || status=1

# One closing line over both test runs.
passed=0; failed=0
while read -r p f; do passed=$((passed + p)); failed=$((failed + f)); done < <(
    sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\2 \1/p' "$summary" |
    awk '{print $1 - $2, $2}')
rm -f "$summary"
echo "figure: the whole test command: $SECONDS s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ] || status=1
exit $status
