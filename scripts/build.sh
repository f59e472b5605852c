#!/usr/bin/env bash
# Builds both trees. The demo payload carries the uninstaller, and setup.exe
# carries the payload, so the order is: the Windows tree configured and its
# uninstaller built, then the host tools and tests (which make the payload
# from the uninstaller's folder), then the rest of the Windows tree.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
jobs=$(nproc)

cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DKOVRA_PAYLOAD="$build/host/payload/payload.sz_" >/dev/null
cmake --build "$build/win32" -j "$jobs" --target uninst

cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKOVRA_PROGRAMS="$build/win32/programs" >/dev/null
cmake --build "$build/host" -j "$jobs"

cmake --build "$build/win32" -j "$jobs"
