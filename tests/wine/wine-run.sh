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
golden=$base/golden
mkdir -p "$base"
( flock 9; "$here/make-prefix.sh" "$golden" ) 9>"$base/.lock"

prefix=$(mktemp -d "$base/run.XXXXXX")
cp -a "$golden/." "$prefix/"
rm -f "$prefix/wineserver"
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} HOME=$prefix/home
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export KOVRA_PREFIX_UNIX=$prefix
# Tests that need extra drives or host-side set-up find their hook here.
if [ -n "${KOVRA_PREFIX_HOOK:-}" ]; then "$KOVRA_PREFIX_HOOK" "$prefix"; fi

wine "$@"
rc=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
# Drives that a hook mounted inside the prefix go with it.
awk -v p="$(cd "$prefix" && pwd -P)/" 'index($2, p) == 1 { print $2 }' /proc/mounts | sort -r |
    while read -r mounted; do umount "$mounted"; done
[ "${KOVRA_KEEP_PREFIX:-0}" = 1 ] || rm -rf "$prefix"
exit $rc
