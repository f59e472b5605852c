#!/usr/bin/env bash
# Drive T: on a tmpfs of 256 KB, so that the stages meet a full disk.
# wine-run.sh unmounts it with the prefix.
set -eu
prefix=$1
mkdir -p "$prefix/smalldisk"
mount -t tmpfs -o size=256k tmpfs "$prefix/smalldisk"
ln -sfn "$prefix/smalldisk" "$prefix/dosdevices/t:"
