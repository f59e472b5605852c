#!/usr/bin/env bash
# Makes the peer installer of the install figures from the game folder the
# host tree generated: nothing when makensis or the folder is missing (a
# payload of another game, or none yet), and the figure then leaves it out.
#   make-peer.sh SCRIPT.nsi GAME-FOLDER OUTPUT.exe
rm -f "$3"
command -v makensis >/dev/null && [ -d "$2" ] || exit 0
makensis -V1 -DOUT="$3" -DGAME="$2" "$1"
