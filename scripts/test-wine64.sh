#!/usr/bin/env bash
# The Wine and end-to-end tests on a machine that runs no 32-bit programs:
# the Windows tree built a second time for 64-bit Windows (build/win64) and
# its tests run under wine64. It checks the same code and the same tests
# against a real Wine, not the 32-bit setup.exe itself; the static checks
# (imports, manifest, reproducible build) stay with scripts/test.sh.
#     bash scripts/test-wine64.sh [CTEST ARGUMENTS...]
#     bash scripts/test-wine64.sh --build-only     (what scripts/run.sh takes there)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}

bash "$root/scripts/prereqs.sh" || exit 1
for p in g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$p" >/dev/null || exit 1
done
bash "$root/scripts/build.sh" >/dev/null || exit 1

cmake -S "$root" -B "$build/win64" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DKOVRA_PAYLOAD="$build/host/payload/payload.sz_" >/dev/null || exit 1
cmake --build "$build/win64" -j "$(nproc)" >/dev/null || exit 1
[ "${1:-}" = --build-only ] && exit 0
cd "$build/win64" && xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure --timeout 600 -LE static "$@"
