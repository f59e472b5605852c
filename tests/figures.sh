#!/usr/bin/env bash
# Prints the figures that are watched but not asserted.
build=${1:-build}
exe=$build/win32/setup_nopayload.exe
[ -f "$exe" ] || exit 0
size=$(stat -c %s "$exe")
echo "figure: setup.exe without payload: $size bytes ($((size / 1024)) KB; installer stub peer about 34 KB, aim 40 KB or less)"
cat "$build"/win32/figures/*.txt 2>/dev/null
