#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 or 13, as root.
# Cheap when everything is already there: apt runs only for packages that are
# missing. Where the releases name a package differently, the name is found
# here rather than fixed: the sanitizer runtime is the one that belongs to
# the clang installed (Debian 12: 14, Debian 13: 19).
set -eu
say() { echo "prereqs.sh: $*" >&2; }

if command -v clang >/dev/null 2>&1; then
    clang_major=$(clang -dumpversion | cut -d. -f1)
    runtime=libclang-rt-$clang_major-dev
else
    runtime=libclang-rt-dev   # the runtime of the release's own clang, which comes with it
fi
packages="cmake ninja-build g++ clang $runtime googletest python3
  g++-mingw-w64-i686 gcc-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-wine fonts-liberation
  liblnk-utils mscompress libmspack-dev osslsigncode openssl nsis"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

release=$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-an unknown system}")
case "$release" in
    "Debian GNU/Linux 12"* | "Debian GNU/Linux 13"*) ;;
    *) say "made for Debian 12 and 13; this is $release, trying anyway" ;;
esac
say "installing:$missing"
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq || { say "apt-get update failed: are Debian's package sources reachable?"; exit 1; }
unknown=""
for p in $missing; do
    apt-cache show "$p" >/dev/null 2>&1 || unknown="$unknown $p"
done
if [ -n "$unknown" ]; then
    say "$release has no package:$unknown (apt's sources: /etc/apt/sources.list*)"
    exit 1
fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null ||
    { say "apt-get install of$missing failed"; exit 1; }
# The host tests are built with AddressSanitizer: the runtime must fit the compiler.
echo 'int main(void) { return 0; }' | clang -x c -fsanitize=address,undefined -o /dev/null - ||
    { say "clang $(clang -dumpversion) cannot link with its sanitizers: its runtime (libclang-rt-*-dev) is missing"; exit 1; }
