#!/usr/bin/env bash
# Builds everything and runs setup.exe under Wine with its demo payload. With
# a display it opens there for you to click through; without one it runs on
# a virtual display, walks the wizard through with the defaults, saves a
# screenshot of every page and says where the game was installed.
#     bash scripts/run.sh [--walk-only]   (--walk-only: no install, no build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}

if [ "${1:-}" != --walk-only ]; then
    bash "$root/scripts/prereqs.sh"
    bash "$root/scripts/build.sh" >/dev/null
    # Wine's loader for 32-bit programs is a 32-bit Linux program; some virtual
    # machines run none. There the 32-bit setup.exe walks through the wizard in
    # an emulated machine that does (scripts/vm32), or with KOVRA_VM32=0 its
    # 64-bit build under wine64 on this one.
    if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1 || [ "${KOVRA_VM32:-}" = 1 ]; then
        if [ "${KOVRA_VM32:-}" != 0 ]; then
            echo "the 32-bit setup.exe walks through in the emulated machine (scripts/vm32)" >&2
            mkdir -p "$build/run"
            cd "$build/run"
            exec bash "$root/scripts/vm32/run.sh" --timeout 1200 --share "$build" -- \
                bash "$root/scripts/run.sh" --walk-only
        fi
        echo "this machine runs no 32-bit programs: the 64-bit build of setup.exe runs under wine64" >&2
        bash "$root/scripts/test-wine64.sh" --build-only
        tree=win64
    fi
fi
tree=${tree:-win32} arch=${tree} wine=wine
[ $tree = win64 ] && wine=/usr/lib/wine/wine64

# In the emulated machine the prefix stays on its own disk (the share is slow
# and gone at power-off anyway); the screenshots go to the build tree.
run=$build/run
[ -n "${KOVRA_IN_VM32:-}" ] && run=/var/tmp/kovra-run
shots=$build/run/shots
mkdir -p "$run"
"$root/tests/wine/make-prefix.sh" "$run/golden-$arch" $arch
rm -rf "$run/prefix" "$shots"
cp -a "$run/golden-$arch" "$run/prefix"
rm -f "$run/prefix/wineserver"
mkdir -p "$shots"
export WINEPREFIX=$run/prefix WINEARCH=$arch WINEDEBUG=-all HOME=$run/prefix/home
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
winpath() { echo "Z:$1" | tr / '\\'; }

if [ -n "${DISPLAY:-}" ]; then
    $wine "$build/$tree/setup.exe"
    echo "setup.exe ended with exit code $?; Wine prefix: $WINEPREFIX"
    exit 0
fi

set +e
xvfb-run -a -s "-screen 0 1024x768x24" \
    $wine "$build/$tree/walkthrough.exe" "$(winpath "$build/$tree/setup.exe")" "$(winpath "$shots")"
status=$?
wineserver -k 2>/dev/null
set -e
for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "screenshots: $(ls "$shots"/*.png 2>/dev/null | tr '\n' ' ')"
if [ -n "${KOVRA_IN_VM32:-}" ]; then
    echo "installed into (in the emulated machine): C:\\Program Files\\Kovra Rendo Cup, $(find "$WINEPREFIX/drive_c/Program Files/Kovra Rendo Cup" -type f 2>/dev/null | wc -l) files"
else
    echo "installed into: $WINEPREFIX/drive_c/Program Files/Kovra Rendo Cup"
fi
exit $status
