#!/usr/bin/env bash
# Prints the emulated machine's figures from a test run's output: its image,
# boot to job, and the 32-bit set's time against the same tests under wine64.
#     bash scripts/vm32/figures.sh GUEST-OUTPUT [WINE64-OUTPUT]
guest=$1 wine64=${2:-}
image=$(bash "$(dirname "$0")/image.sh" 2>/dev/null | tail -n 1)
if [ -f "$image/rootfs.img" ]; then
    echo "figure: guest image: built in $(cat "$image/build-seconds" 2>/dev/null || echo '?') s," \
        "$(( $(du -k "$image/rootfs.img" | cut -f1) / 1024 )) MB on disk" \
        "($(( $(stat -c %s "$image/rootfs.img") / 1048576 )) MB sparse), in $image"
fi
sed -n 's/^vm32: job starts \([0-9.]*\) s after power-on.*/figure: guest boot to job: \1 s/p' "$guest"
sed -n 's/^vm32: 32-bit Wine prefix made in \(.*\)/figure: guest 32-bit Wine prefix made in \1/p' "$guest"
sed -n 's/^vm32: power-on to power-off \(.*\)/figure: guest power-on to power-off: \1/p' "$guest"
# Seconds of each passed or failed test, by name.
times() { sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .* \([0-9.]*\) sec$/\1 \2/p' "$1"; }
[ -n "$wine64" ] && [ -f "$wine64" ] || exit 0
awk 'NR == FNR { guest[$1] = $2; next }
     ($1 in guest) { g += guest[$1]; w += $2; n++ }
     END { if (n && w > 0) printf "figure: the 32-bit set (%d programs) in the guest: %.0f s; the same under wine64 on the host: %.0f s (%.1f x)\n", n, g, w, g / w }' \
    <(times "$guest") <(times "$wine64")
