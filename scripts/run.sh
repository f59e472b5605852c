#!/usr/bin/env bash
# Builds everything and runs setup.exe under Wine with its demo payload. With
# a display it opens there for you to click through; without one it runs on
# a virtual display, walks the wizard through with the defaults, saves a
# screenshot of every page and says where the game was installed.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVRA_BUILD_DIR:-$root/build}

bash "$root/scripts/prereqs.sh"
bash "$root/scripts/build.sh" >/dev/null

# Wine's loader for 32-bit programs is a 32-bit Linux program; some virtual
# machines run none. There the 64-bit build of the same code runs under wine64.
tree=win32 arch=win32 wine=wine
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "this machine runs no 32-bit programs: the 64-bit build of setup.exe runs under wine64" >&2
    bash "$root/scripts/test-wine64.sh" --build-only
    tree=win64 arch=win64 wine=/usr/lib/wine/wine64
fi

run=$build/run
mkdir -p "$run"
"$root/tests/wine/make-prefix.sh" "$run/golden-$arch" $arch
rm -rf "$run/prefix" "$run/shots"
cp -a "$run/golden-$arch" "$run/prefix"
rm -f "$run/prefix/wineserver"
mkdir -p "$run/shots"
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
    $wine "$build/$tree/walkthrough.exe" "$(winpath "$build/$tree/setup.exe")" "$(winpath "$run/shots")"
status=$?
wineserver -k 2>/dev/null
set -e
for bmp in "$run/shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "screenshots: $(ls "$run/shots"/*.png 2>/dev/null | tr '\n' ' ')"
echo "installed into: $WINEPREFIX/drive_c/Program Files/Kovra Rendo Cup"
exit $status
