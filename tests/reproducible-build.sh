#!/usr/bin/env bash
# Two clean builds of the same sources, in two different folders, must give
# the same setup.exe and uninst.exe byte for byte, with no build folder named
# inside them; the demo payload made again from scratch around that
# uninst.exe must equal the one linked.
#   reproducible-build.sh SOURCE_DIR PAYLOAD.sz_ [HOST_TOOLS_DIR]
# Only the setup and uninstaller targets are built, with the payload already made, to keep it cheap.
set -u
source=$1
payload=$2
tools=${3:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0

for n in 1 2; do
    cmake -S "$source" -B "$work/tree$n" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" -DKOVRA_PAYLOAD="$payload" >/dev/null &&
        cmake --build "$work/tree$n" --target setup setup_nopayload uninst -j 2 >"$work/build$n.log" 2>&1 ||
        { cat "$work/build$n.log"; echo "build $n failed"; exit 1; }
done
for exe in setup.exe setup_nopayload.exe programs/uninst.exe; do
    if cmp "$work/tree1/$exe" "$work/tree2/$exe"; then
        echo "$exe: two clean builds are identical ($(stat -c %s "$work/tree1/$exe") bytes, sha256 $(sha256sum <"$work/tree1/$exe" | cut -c1-16))"
    else
        echo "$exe: two clean builds differ"; status=1
    fi
    for folder in "$work" "$source"; do
        if grep -aqF "$folder" "$work/tree1/$exe"; then echo "$exe names the folder $folder"; status=1; fi
    done
done

if [ -n "$tools" ] && [ -x "$tools/kovra_demogame" ] && [ -x "$tools/kovra_payload" ]; then
    "$tools/kovra_demogame" --programs "$work/tree1/programs" "$work/game" >/dev/null &&
        "$tools/kovra_payload" "$work/game" "$work/payload.sz_" >/dev/null || { echo "payload build failed"; exit 1; }
    if cmp "$payload" "$work/payload.sz_"; then
        echo "payload: made again, identical ($(stat -c %s "$payload") bytes)"
    else
        echo "payload: made again, differs"; status=1
    fi
fi
exit $status
