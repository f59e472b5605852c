#!/usr/bin/env bash
# Builds both trees: the host tools and tests (clang, sanitizers), which also
# make the demo payload, then the Windows programs with that payload inside.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}
jobs=$(nproc)

cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build/host" -j "$jobs"

payload=""
[ -f "$build/host/payload/payload.sz_" ] && payload=$build/host/payload/payload.sz_
cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DKOVRA_PAYLOAD="$payload" >/dev/null
cmake --build "$build/win32" -j "$jobs"
