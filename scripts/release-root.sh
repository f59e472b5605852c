#!/usr/bin/env bash
# Runs the README's two commands, as a newcomer would, on the other Debian
# release: a fresh root of Debian 13 (on a Debian 12 host; Debian 12 on a
# Debian 13 host) made with debootstrap from Debian's packages, entered with
# chroot. No emulation: 32-bit programs run there exactly when they run on
# the host. The bare root is kept in /var/cache/kovra-release until this file
# changes; every run starts from a fresh copy of it and a clean copy of the
# working tree (tracked and new files, no build), and the commands install
# what they need themselves. Downloaded packages are kept between runs.
#     bash scripts/release-root.sh [--release 12|13] [-- COMMAND...]
# COMMAND (default: the run command, then the test command) runs in the
# copy's project folder. Needs root and about 8 GB free; prints its figures.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
project=$(cd "$here/.." && pwd)
build=${KOVRA_BUILD_DIR:-$project/build}
cache=${KOVRA_RELEASE_CACHE:-/var/cache/kovra-release}

host=$(. /etc/os-release && echo "${VERSION_ID:-}")
release=13; [ "$host" = 13 ] && release=12
if [ "${1:-}" = --release ]; then release=$2; shift 2; fi
[ "${1:-}" = -- ] && shift
case $release in
    12) codename=bookworm ;;
    13) codename=trixie ;;
    *) echo "release-root.sh: Debian 12 or 13, not '$release'" >&2; exit 2 ;;
esac
# Each command timed on its own: the first one pays for the packages.
[ $# -gt 0 ] || set -- bash -c 'for c in run test; do SECONDS=0; bash scripts/$c.sh; rc=$?
    echo "release-root: the $c command took $SECONDS s, exit code $rc"; [ $rc = 0 ] || exit $rc; done'

dpkg-query -W -f='${Status}' debootstrap 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null

# The bare root, made once per recipe: debootstrap's default set, as a
# newly installed Debian has it, and the release's package sources.
recipe=$(sha256sum <"$here/release-root.sh" | cut -c1-16)
bare=$cache/$codename-$recipe
mirror=http://deb.debian.org/debian
mkdir -p "$cache/apt-archives"
if [ ! -e "$bare/.ready" ]; then
    find "$cache" -mindepth 1 -maxdepth 1 -name "$codename-*" -exec rm -rf {} +
    echo "release-root: debootstrap of Debian $release ($codename), a few minutes" >&2
    start=$(date +%s)
    debootstrap --arch=amd64 "$codename" "$bare.new/root" "$mirror" >"$cache/debootstrap-$codename.log" 2>&1 ||
        { tail -20 "$cache/debootstrap-$codename.log" >&2; rm -rf "$bare.new"; exit 1; }
    cat >"$bare.new/root/etc/apt/sources.list" <<SRC
deb $mirror $codename main
deb $mirror $codename-updates main
deb http://deb.debian.org/debian-security $codename-security main
SRC
    rm -rf "$bare.new/root/var/cache/apt/archives"/*.deb
    echo "$(($(date +%s) - start))" >"$bare.new/seconds"
    mv "$bare.new" "$bare"
    touch "$bare/.ready"
fi

run=$(mktemp -d "$cache/run.XXXXXX")
root=$run/root
cleanup() {
    # Whatever a test mounted inside the root goes first, deepest first.
    awk -v p="$root/" 'index($2, p) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r m; do umount -l "$m" 2>/dev/null || true; done
    [ "${KOVRA_KEEP_ROOT:-0}" = 1 ] && { echo "release-root: kept $root" >&2; return; }
    # Never remove through a mount that is still there (the host's /dev).
    if awk -v p="$root/" 'index($2, p) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
        echo "release-root: $root still has mounts; left in place" >&2
        return
    fi
    rm -rf "$run"
}
trap cleanup EXIT
cp -a "$bare/root" "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir -p "$root/work/main"
(cd "$project" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    tar -c --null -T - -f -) | tar -x -C "$root/work/main"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount --bind "$cache/apt-archives" "$root/var/cache/apt/archives"

out=$build/release-root-$codename.txt
mkdir -p "$build"
echo "release-root: Debian $release ($codename) in $root: $*" >&2
SECONDS=0
set +e
chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c 'cd /work/main && "$@"; rc=$?
        command -v wine >/dev/null && echo "release-root: versions: $(wine --version), clang $(clang -dumpversion)," \
            "MinGW-w64 gcc $(i686-w64-mingw32-gcc -dumpversion), $(cmake --version | head -1)"
        exit $rc' release-root "$@" 2>&1 | tee "$out"
rc=${PIPESTATUS[0]}
set -e
echo "figure: Debian $release root: debootstrap took $(cat "$bare/seconds") s (cached in $bare)"
grep -h '^release-root: versions' "$out" | sed 's/^release-root: /figure: Debian '"$release"' /'
sed -n 's/^release-root: \(the .* command took .*\)/figure: Debian '"$release"': \1/p' "$out"
echo "figure: Debian $release: everything in the root took $SECONDS s, exit code $rc;" \
    "closing line: $(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$out" | tail -1)"
exit $rc
