#!/usr/bin/env bash
# The Wine and end-to-end tests on a machine that runs no 32-bit programs:
# the Windows tree built a second time for 64-bit Windows (build/win64) and
# its tests run under wine64. It checks the same code and the same tests
# against a real Wine, not the 32-bit setup.exe itself; the static checks
# (imports, manifest, reproducible build) stay with scripts/test.sh.
#     bash scripts/test-wine64.sh [CTEST ARGUMENTS...]
#     bash scripts/test-wine64.sh --build-only     (the build alone)
# The builds' output goes to build/win64-build.log; when a build fails, its
# end is shown and the script says which one.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
log=$build/win64-build.log
mkdir -p "$build"

failed() {
    echo "test-wine64.sh: $1 failed; the end of its output ($log):"
    tail -n 40 "$log"
    exit 1
}
bash "$root/scripts/prereqs.sh" || { echo "test-wine64.sh: scripts/prereqs.sh failed"; exit 1; }
bash "$root/scripts/build.sh" >"$log" 2>&1 || failed "the build of the 32-bit and host trees (scripts/build.sh)"
{
    cmake -S "$root" -B "$build/win64" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        -DKOVRA_PAYLOAD="$build/host/payload/payload.sz_" &&
        cmake --build "$build/win64" -j "$(nproc)"
} >>"$log" 2>&1 || failed "the 64-bit build (build/win64)"
[ "${1:-}" = --build-only ] && exit 0
cd "$build/win64" && xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure --timeout 600 -LE static "$@"
