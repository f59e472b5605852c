#!/usr/bin/env bash
# Creates the golden Wine prefix of a test run (32-bit, or 64-bit for the
# 64-bit test tree): fonts, no window manager delays, no .desktop files,
# Arial mapped to Liberation Sans.
# Usage: make-prefix.sh DIR [win32|win64]   (does nothing when DIR/.ready exists)
set -eu
dir=$1
arch=${2:-win32}
wine=wine
[ "$arch" = win64 ] && wine=/usr/lib/wine/wine64
[ -e "$dir/.ready" ] && exit 0
rm -rf "$dir"
mkdir -p "$dir/home"
export WINEPREFIX=$dir WINEARCH=$arch WINEDEBUG=-all HOME=$dir/home
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
$wine wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/* "$dir/drive_c/windows/Fonts/" 2>/dev/null || true
cat > "$dir/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
"mscoree"=""
"mshtml"=""

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Arial"="Liberation Sans"
REG
$wine regedit /S 'Z:'"$(echo "$dir/settings.reg" | tr / '\\')" >/dev/null 2>&1
wineserver -w
rm -f "$dir/wineserver"
touch "$dir/.ready"
