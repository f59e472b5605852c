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
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
if [ -n "$missing" ]; then
    echo "installing:$missing" >&2
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
fi

# Wine's 32-bit loader is an i386 Linux program. Some virtual machines run no
# 32-bit code (the kernel answers "Exec format error"); there the kernel is
# told to hand i386 programs to QEMU's user-mode emulator instead.
/lib/ld-linux.so.2 --version >/dev/null 2>&1 && exit 0
echo "this machine runs no 32-bit programs: registering qemu-i386 for them" >&2
if ! dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q "install ok installed"; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq qemu-user-static >/dev/null
fi
binfmt=/proc/sys/fs/binfmt_misc
[ -e $binfmt/register ] || $SUDO mount -t binfmt_misc binfmt_misc $binfmt
if [ ! -e $binfmt/qemu-i386 ]; then
    # ELF, 32-bit, little-endian, i386, executable or shared object; "F"
    # opens the emulator now, so it also serves programs in other mount
    # namespaces.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
        $SUDO tee $binfmt/register >/dev/null
fi
/lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "32-bit programs still do not run" >&2; exit 1; }
