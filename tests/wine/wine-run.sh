#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh copy of the golden prefix and
# returns its exit code. CTest uses it as the emulator of the Windows tree.
# KOVRA_KEEP_PREFIX=1 keeps the copy for a look afterwards.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
base=${KOVRA_WINE_DIR:-$PWD/wine}
# A 64-bit program (PE machine 8664, the tree of scripts/test-wine64.sh) runs
# under wine64 in a 64-bit prefix; every other one in the 32-bit prefix.
arch=win32
header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
[ -n "$header" ] && [ "$(od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')" = 8664 ] && arch=win64
golden=$base/golden-$arch
mkdir -p "$base"
( flock 9; "$here/make-prefix.sh" "$golden" $arch ) 9>"$base/.lock"

prefix=$(mktemp -d "$base/run.XXXXXX")
cp -a "$golden/." "$prefix/"
rm -f "$prefix/wineserver"
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all} HOME=$prefix/home
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export KOVRA_PREFIX_UNIX=$prefix
# Tests that need extra drives or host-side set-up find their hook here.
if [ -n "${KOVRA_PREFIX_HOOK:-}" ]; then "$KOVRA_PREFIX_HOOK" "$prefix"; fi

if [ $arch = win64 ]; then /usr/lib/wine/wine64 "$@"; else wine "$@"; fi
rc=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
# Drives that a hook mounted inside the prefix go with it.
awk -v p="$(cd "$prefix" && pwd -P)/" 'index($2, p) == 1 { print $2 }' /proc/mounts | sort -r |
    while read -r mounted; do umount "$mounted"; done
[ "${KOVRA_KEEP_PREFIX:-0}" = 1 ] || rm -rf "$prefix"
exit $rc
