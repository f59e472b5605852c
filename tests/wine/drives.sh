#!/usr/bin/env bash
# Prefix hook (KOVRA_PREFIX_HOOK) that maps the test drives into a fresh
# prefix before the test starts:
#   A: B:  removable, on the host disk     D:  fixed, on the host disk
#   E:     removable, on the host disk     F:  CD-ROM, on the host disk
#   N:     network, on the host disk       S:  fixed, a 1 MB tmpfs
#   T:     fixed, an 8 MB tmpfs (free space known to the KB)
# wine-run.sh unmounts the tmpfs drives when the test ends.
set -eu
prefix=$1
drives=$prefix/drives
for letter in a b d e f n s t; do
    mkdir -p "$drives/$letter"
    ln -sfn "../drives/$letter" "$prefix/dosdevices/$letter:"
done
if ! mount -t tmpfs -o size=1m kovra-small "$drives/s" || ! mount -t tmpfs -o size=8m kovra-exact "$drives/t"; then
    echo "drives.sh: cannot mount the small drives (needs root)" >&2
    exit 1
fi
# Wine reads the drive types when its server starts, which is after this.
cat >> "$prefix/system.reg" <<'REG'

[Software\\Wine\\Drives] 1700000000
"a:"="floppy"
"b:"="floppy"
"d:"="hd"
"e:"="floppy"
"f:"="cdrom"
"n:"="network"
"s:"="hd"
"t:"="hd"
REG
