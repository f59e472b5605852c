#!/usr/bin/env bash
# Runs in the emulated machine: the Windows tests of a build tree (the current
# folder) under 32-bit Wine on a virtual display. The golden prefix is made
# first, on the guest's own disk, so that no test's time limit pays for it.
#     bash scripts/vm32/wine-tests.sh [CTEST ARGUMENTS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
export KOVRA_WINE_DIR=/var/tmp/kovra-wine
SECONDS=0
"$here/../../tests/wine/make-prefix.sh" "$KOVRA_WINE_DIR/golden-win32" win32 || exit 1
echo "vm32: 32-bit Wine prefix made in $SECONDS s"
# The 20,000-entry install measures a real machine's speed: it stays with the
# host's run.
export GTEST_FILTER=${GTEST_FILTER:--*TwentyThousand*}
SECONDS=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure "$@"
rc=$?
echo "vm32: the tests took $SECONDS s"
# What the tests measured here is the emulator's speed: kept apart from a
# real machine's figures.
mkdir -p figures-vm32
mv figures/*.txt figures-vm32/ 2>/dev/null
exit $rc
