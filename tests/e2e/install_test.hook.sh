#!/usr/bin/env bash
# Drive K: on a tmpfs of 10 MB: room for the space check of a small payload,
# not for its whole install. wine-run.sh unmounts it with the prefix.
set -eu
prefix=$1
mkdir -p "$prefix/filldisk"
mount -t tmpfs -o size=10m kovra-fill "$prefix/filldisk"
ln -sfn "$prefix/filldisk" "$prefix/dosdevices/k:"
