#!/usr/bin/env bash
# Prints the figures that are watched but not asserted.
build=${1:-build}
exe=$build/win32/setup_nopayload.exe
if [ -f "$exe" ]; then
    size=$(stat -c %s "$exe")
    echo "figure: setup.exe without payload: $size bytes ($((size / 1024)) KB; installer stub peer about 34 KB, aim 40 KB or less)"
fi
uninst=$build/win32/programs/uninst.exe
if [ -f "$uninst" ]; then
    size=$(stat -c %s "$uninst")
    imports=$(i686-w64-mingw32-objdump -p "$uninst" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
    echo "figure: uninst.exe: $size bytes ($((size / 1024)) KB; aim under 24 KB), imports: $imports"
fi
bench=$build/host/tests/bench/szdd_bench
[ -x "$bench" ] && "$bench" "$build/host/payload/payload.uni"
# The fuzzers' short runs (host tests) and the install figures (Wine tests)
# leave their figures here.
cat "$build"/host/figures/*.txt 2>/dev/null
cat "$build"/win32/figures/*.txt 2>/dev/null
exit 0
