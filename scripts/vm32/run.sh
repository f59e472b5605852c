#!/usr/bin/env bash
# Runs a command in the emulated x86-64 machine (QEMU), whose own kernel runs
# the 32-bit Wine that this host cannot start, and returns its exit code:
#     bash scripts/vm32/run.sh [--timeout SECONDS] [--share DIR]... -- COMMAND...
# The project's folder and every --share DIR appear in the guest at the same
# path (9p), so the build trees' absolute paths hold; the guest sees the host's
# changes made before it started, not those made during the run. COMMAND runs
# with bash in the current folder; its output comes back as it is written. The
# disk is booted as a snapshot: what the job leaves outside the shares is gone
# at power-off. Figures on stderr: boot to job, job time, accelerator.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
limit=3600
shares=("$root")
while [ $# -gt 0 ]; do
    case $1 in
        --timeout) limit=$2; shift 2 ;;
        --share) shares+=("$(cd "$2" && pwd)"); shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: run.sh [--timeout S] [--share DIR]... -- COMMAND..." >&2; exit 2; }

image=$(bash "$here/image.sh" | tail -n 1) || exit 1
[ -f "$image/rootfs.img" ] || { echo "vm32: no image" >&2; exit 1; }

job=$(mktemp -d /tmp/kovra-vm32-job.XXXXXX)
trap 'rm -rf "$job"' EXIT
{
    echo "cd $(printf %q "$PWD") || exit 1"
    # The settings a test run passes on (build folder, ctest options and the like).
    env | grep -E '^KOVRA_' | while IFS= read -r kv; do echo "export $(printf %q "$kv")"; done
    printf '%q ' "$@"; echo
} > "$job/job.sh"
cp "$here/guest-init" "$job/guest-init"
# A share folder inside another is reached through the outer one.
args=()
n=0
: > "$job/shares"
for dir in $(printf '%s\n' "${shares[@]}" | sort -u); do
    inside=0
    for other in "${shares[@]}"; do
        [ "$other" != "$dir" ] && case $dir/ in "$other"/*) inside=1 ;; esac
    done
    [ $inside = 1 ] && continue
    args+=(-virtfs "local,path=$dir,mount_tag=share$n,security_model=passthrough,id=share$n")
    echo "share$n $dir" >> "$job/shares"
    n=$((n + 1))
done

# TCG: the machines this runs on offer no KVM, or one that fails at the first
# vCPU (KOVRA_VM32_ACCEL=kvm tries it). QEMU 7.2's TCG pops IRET's frame from a
# 32-bit user stack as the kernel: with SMAP every system-call return of
# 32-bit Wine faults in the guest, so the guest gets no SMAP.
accel=${KOVRA_VM32_ACCEL:-tcg}
: > "$job/output"
SECONDS=0
timeout --kill-after=10 "$limit" qemu-system-x86_64 -accel "$accel" -cpu max,-smap -smp 2 -m 4096 \
    -nodefaults -display none -no-reboot -nic none \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 quiet panic=1 init=/sbin/kovra-init" \
    -drive "file=$image/rootfs.img,format=raw,if=virtio,snapshot=on" \
    -virtfs "local,path=$job,mount_tag=job,security_model=passthrough,id=job" \
    "${args[@]}" \
    -device virtio-serial-pci -chardev "file,id=job,path=$job/output" \
    -device virtserialport,chardev=job,name=job \
    -serial "file:$job/console" &
qemu=$!
tail -n +1 -f --pid=$qemu "$job/output"
wait $qemu
qemu_rc=$?
seconds=$SECONDS
if [ ! -s "$job/rc" ]; then
    [ $qemu_rc = 124 ] && echo "vm32: the job ran past its limit of $limit s" >&2
    echo "vm32: the guest ended without the job's exit code (QEMU $qemu_rc); its console:" >&2
    tail -n 30 "$job/console" >&2
    exit 1
fi
echo "vm32: power-on to power-off $seconds s ($accel)" >&2
exit "$(cat "$job/rc")"
