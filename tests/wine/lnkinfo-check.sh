#!/usr/bin/env bash
# Reads the two shortcuts of the Start-menu test with lnkinfo (liblnk-utils),
# a reader of the .lnk format that owes nothing to Wine's shell.
# Usage: lnkinfo-check.sh START_MENU_TEST_EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d "$PWD/lnk.XXXXXX")
trap 'rm -rf "$out"' EXIT
KOVRA_LNK_COPY_DIR="Z:$(echo "$out" | tr / '\\')" "$here/wine-run.sh" "$1" \
    --gtest_filter=StartMenu.MakesTheFolderAndBothShortcutsAndLogsThemInOrder >/dev/null || exit 1

status=0
check() {
    local file=$1 field=$2 want=$3 got
    # Debian 13's lnkinfo escapes each backslash (C:\\Spiele), Debian 12's does not.
    got=$(lnkinfo "$out/$file" | sed -n "s/^[[:space:]]*$field[[:space:]]*: //p" | head -1 | sed 's/\\\\/\\/g')
    if [ "$got" = "$want" ]; then
        echo "ok   $file $field: $got"
    else
        echo "FAIL $file $field: got '$got', want '$want'"
        status=1
    fi
}
target='C:\Spiele\Kovra Rendo Cup\'
check game.lnk "Local path" "${target}kovra.exe"
check game.lnk "Working directory" "$target"
check uninstall.lnk "Local path" "${target}uninst.exe"
check uninstall.lnk "Working directory" "$target"
exit $status
