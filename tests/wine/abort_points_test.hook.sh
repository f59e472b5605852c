#!/usr/bin/env bash
# Drive T: for the abort-point runs: an empty fixed drive whose whole tree is
# compared before and after each run.
set -eu
mkdir -p "$1/drive_t"
ln -sfn ../drive_t "$1/dosdevices/t:"
