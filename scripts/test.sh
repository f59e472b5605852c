#!/usr/bin/env bash
# Runs every test: host tests (sanitized) and fuzz runs, then the Wine tests
# and the end-to-end wizard tests on a virtual display. Every step that fails
# is named in the log and counted in the closing line (scripts/steps.sh).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
SECONDS=0
. "$root/scripts/steps.sh"

closing() {
    echo "figure: the whole test command: $SECONDS s"
    steps_close
}
step_run "the prerequisites (scripts/prereqs.sh)" bash "$root/scripts/prereqs.sh" || closing
step_run "the build (scripts/build.sh)" bash "$root/scripts/build.sh" || closing

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
    (cd "$dir" && "${tool[@]}" ctest --output-on-failure --timeout 600 "$@")
}
# Both keep their output for the figures of the emulated machine.
wine64_tests() {
    bash "$root/scripts/test-wine64.sh" | tee "$build/win64-tests.txt"
    return "${PIPESTATUS[0]}"
}
vm32_tests() {
    (cd "$build/win32" && bash "$root/scripts/vm32/run.sh" --timeout 3600 --share "$build" -- \
        bash "$root/scripts/vm32/wine-tests.sh" --timeout 1800 -R "$vm32_set") | tee "$build/vm32-tests.txt"
    return "${PIPESTATUS[0]}"
}

# Figures of an earlier run that took the other way would pass for this one's.
rm -f "$build"/win32/figures/*.txt "$build"/win32/figures-vm32/*.txt "$build"/win64/figures/*.txt
echo "== host tests"
step_run "the host tests (ctest in $build/host)" run_ctest "$build/host" env
# Wine's loader for 32-bit programs is a 32-bit Linux program; some virtual
# machines run no 32-bit code at all ("Exec format error"). There the 32-bit
# programs run in an emulated machine that does (scripts/vm32), and the whole
# Windows tree, benchmarks included, runs once more for 64-bit Windows under
# wine64 on the host as a fast stand-in for the logic. That tree is built on
# every host, so that one that cannot build fails here too.
# KOVRA_VM32=1 takes that way on any machine, KOVRA_VM32=0 leaves the emulated
# machine out.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1 && [ "${KOVRA_VM32:-}" != 1 ]; then
    echo "== Windows programs under Wine"
    step_run "the Wine tests (ctest in $build/win32)" run_ctest "$build/win32" xvfb-run -a -s "-screen 0 1024x768x24"
    echo "== the 64-bit build of the Windows tree"
    step_run "the 64-bit build (scripts/test-wine64.sh --build-only)" bash "$root/scripts/test-wine64.sh" --build-only
else
    echo "== Windows programs: this machine runs no 32-bit programs, so Wine cannot start setup.exe here;"
    echo "   the checks of the built files run on it, a 64-bit build's tests under wine64"
    step_run "the checks of the built files (ctest -L static in $build/win32)" run_ctest "$build/win32" env -- -L static
    step_run "the 64-bit build and its tests under wine64 (scripts/test-wine64.sh)" wine64_tests
    if [ "${KOVRA_VM32:-}" != 0 ]; then
        echo "== the 32-bit setup.exe and uninst.exe and their tests in the emulated machine"
        step_run "the 32-bit tests in the emulated machine (scripts/vm32)" vm32_tests
        bash "$root/scripts/vm32/figures.sh" "$build/vm32-tests.txt" "$build/win64-tests.txt"
    fi
fi

step_run "the figures (tests/figures.sh)" bash "$root/tests/figures.sh" "$build"
closing
