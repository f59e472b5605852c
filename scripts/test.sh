#!/usr/bin/env bash
# Runs every test: host tests (sanitized) and fuzz runs, then the Wine tests
# and the end-to-end wizard tests on a virtual display.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}

bash "$root/scripts/prereqs.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1

status=0
summary=$(mktemp)
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
# machines run no 32-bit code at all ("Exec format error"). There the Wine
# tests run on the Windows tree built for 64-bit Windows, under wine64, and
# the run says so.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "== Windows programs under Wine"
    run_ctest "$build/win32" xvfb-run -a -s "-screen 0 1024x768x24"
else
    echo "== Windows programs: this machine runs no 32-bit programs, so Wine cannot start setup.exe;"
    echo "   the checks of the built files run on it, the Wine and end-to-end tests on a 64-bit build"
    run_ctest "$build/win32" env -- -L static
    bash "$root/scripts/test-wine64.sh" | tee -a "$summary"
    [ "${PIPESTATUS[0]}" = 0 ] || status=1
fi

bash "$root/tests/figures.sh" "$build" || status=1

# One closing line over both test runs.
passed=0; failed=0
while read -r p f; do passed=$((passed + p)); failed=$((failed + f)); done < <(
    sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\2 \1/p' "$summary" |
    awk '{print $1 - $2, $2}')
rm -f "$summary"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ] || status=1
exit $status
