#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, as root. Cheap when
# everything is already there: apt runs only for packages that are missing.
set -eu
packages="cmake ninja-build g++ clang libclang-rt-14-dev googletest python3
  g++-mingw-w64-i686 gcc-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-wine fonts-liberation
  liblnk-utils mscompress libmspack-dev"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing" >&2
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
