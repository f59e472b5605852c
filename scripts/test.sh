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
    (cd "$dir" && "$@" ctest --output-on-failure --timeout 600) | tee -a "$summary"
    [ "${PIPESTATUS[0]}" = 0 ] || status=1
}

echo "== host tests"
run_ctest "$build/host" env
echo "== Windows programs under Wine"
run_ctest "$build/win32" xvfb-run -a -s "-screen 0 1024x768x24"

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
