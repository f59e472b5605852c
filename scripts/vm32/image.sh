#!/usr/bin/env bash
# Builds the emulated machine's disk: Debian 12 (amd64) with 32-bit Wine, Xvfb
# and what the Windows tests call, booted by scripts/vm32/run.sh. The result is
# cached outside the source tree, in a folder named after a hash of this file,
# and made again only when it changes. The guest's real init (guest-init) comes
# with each job, so that changing it costs no new image.
#     bash scripts/vm32/image.sh        prints the folder that holds the image
# Needs root (debootstrap, chroot) and about 3 GB free while it builds.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cache=${KOVRA_VM32_CACHE:-/var/cache/kovra-vm32}
recipe=$(sha256sum < "$here/image.sh" | cut -c1-16)
out=$cache/$recipe
if [ -e "$out/.ready" ]; then echo "$out"; exit 0; fi

for p in debootstrap qemu-system-x86 e2fsprogs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p" >/dev/null
done

start=$(date +%s)
mkdir -p "$cache"
# Older recipes' images are of no further use.
find "$cache" -mindepth 1 -maxdepth 1 -not -name "$recipe" -exec rm -rf {} +
work=$(mktemp -d "$cache/build.XXXXXX")
root=$work/root
cleanup() {
    for m in dev/pts dev proc sys; do umount "$root/$m" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

mirror=http://deb.debian.org/debian
echo "vm32: debootstrap of the guest (a few minutes)" >&2
debootstrap --variant=minbase --arch=amd64 bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -20 "$work/debootstrap.log" >&2; exit 1; }

cat > "$root/etc/apt/sources.list" <<SRC
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SRC
# No udev in the guest: the initramfs must carry the disk's drivers itself
# (the package keeps this file, which is there before it).
mkdir -p "$root/etc/initramfs-tools"
printf '%s\n' virtio_pci virtio_blk ext4 >> "$root/etc/initramfs-tools/modules"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
# Wine loads these i386 X libraries only when it finds them (recommends).
packages="linux-image-amd64 initramfs-tools kmod procps util-linux wine wine32:i386 wine64 \
  xvfb xauth fonts-wine fonts-liberation cmake python3 imagemagick liblnk-utils \
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxfixes3:i386 \
  libxinerama1:i386 libxcomposite1:i386 libgnutls30:i386"
echo "vm32: packages of the guest" >&2
chroot "$root" /bin/sh -c "dpkg --add-architecture i386 && apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        -o Dpkg::Options::=--force-confold $packages" \
    >"$work/packages.log" 2>&1 || { tail -20 "$work/packages.log" >&2; exit 1; }
chroot "$root" apt-get clean
for m in dev/pts dev proc sys; do umount "$root/$m"; done

# PID 1 only reaches the job's folder and hands over to the init it brings.
mkdir -p "$root/job"
cat > "$root/sbin/kovra-init" <<'INIT'
#!/bin/sh
PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
modprobe 9pnet_virtio && modprobe 9p &&
    mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 job /job &&
    exec /bin/sh /job/guest-init
echo "kovra-init: no job" >&2
echo o > /proc/sysrq-trigger
INIT
chmod 755 "$root/sbin/kovra-init"
cp -L "$root/vmlinuz" "$work/vmlinuz"
cp -L "$root/initrd.img" "$work/initrd.img"
# The disk is made straight from the folder (sparse); the guest boots it as a
# snapshot, so it stays as built.
mkfs.ext4 -q -L kovra-vm32 -d "$root" "$work/rootfs.img" 8G
rm -rf "$root"
echo "$(( $(date +%s) - start ))" > "$work/build-seconds"
mv "$work" "$out"
touch "$out/.ready"
echo "$out"
