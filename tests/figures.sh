#!/usr/bin/env bash
# Prints the figures that are watched but not asserted.
build=${1:-build}
exe=$build/win32/setup_nopayload.exe
if [ -f "$exe" ]; then
    size=$(stat -c %s "$exe")
    echo "figure: setup.exe without payload: $size bytes ($((size / 1024)) KB; the peer installer stub: about 34 KB, 34,816 bytes; aim below it)"
    # Each section of the stub takes whole 512-byte units of the file.
    echo "figure: its sections: $(i686-w64-mingw32-size -A "$exe" |
        awk '$1 ~ /^\./ && $2 > 0 { printf "%s %d, ", $1, $2 }' | sed 's/, $//')"
    # The peer's stubs as Debian builds them (MinGW, as ours is built): the
    # smallest 32-bit one, measured on this machine.
    peer=$(ls -S /usr/share/nsis/Stubs/*-x86-* 2>/dev/null | tail -1)
    [ -n "$peer" ] && echo "figure: the peer's smallest 32-bit stub as Debian builds it ($(basename "$peer")):" \
        "$(stat -c %s "$peer") bytes; ours is $((size * 100 / $(stat -c %s "$peer")))% of it"
fi
uninst=$build/win32/programs/uninst.exe
if [ -f "$uninst" ]; then
    size=$(stat -c %s "$uninst")
    echo "figure: uninst.exe: $size bytes ($((size / 1024)) KB; aim below 20 KB, 20,480 bytes)"
fi
for exe in "$build"/win32/setup.exe "$uninst"; do
    [ -f "$exe" ] && echo "figure: $(basename "$exe") imports: $(i686-w64-mingw32-objdump -p "$exe" |
        sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')"
done
bench=$build/host/tests/bench/szdd_bench
[ -x "$bench" ] && "$bench" "$build/host/payload/payload.uni"
# The fuzzers' short runs (host tests) and the install figures (Wine tests)
# leave their figures here.
cat "$build"/host/figures/*.txt 2>/dev/null
cat "$build"/win32/figures/*.txt 2>/dev/null
ls "$build"/win32/figures-vm32/*.txt >/dev/null 2>&1 &&
    { echo "figures of the 32-bit programs in the emulated machine (its speed, not a real machine's):"; cat "$build"/win32/figures-vm32/*.txt; }
# On a machine without 32-bit programs the Wine figures come from the
# 64-bit build (scripts/test-wine64.sh).
ls "$build"/win64/figures/*.txt >/dev/null 2>&1 &&
    { echo "figures of the 64-bit build under wine64:"; cat "$build"/win64/figures/*.txt; }
exit 0
