#!/usr/bin/env bash
# Every Windows program the project ships must run on a bare system and be
# safe to start from a downloads folder: GUI subsystem 4.0, statically
# linked, importing only the six system DLLs that every Windows from 95 on has
# and that modern Windows loads only from its system folder (no lz32 or
# comctl32, which a planted copy beside the program would replace; no C
# runtime DLL, which the first Windows 95 lacks), ASLR with its relocation
# table, NX, and no time stamp (reproducible builds).
#   check-imports.sh PROGRAM.exe...
set -u
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll"

check_program() {
    local exe=$1 dump dll fail=0
    dump=$(i686-w64-mingw32-objdump -p "$exe") || return 1
    local dlls
    dlls=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
    for dll in $dlls; do
        case " $allowed " in *" $dll "*) ;; *) echo "$exe: imports $dll"; fail=1 ;; esac
    done
    echo "$dump" | grep -q "^Subsystem.*(Windows GUI)" || { echo "$exe: not a GUI program"; fail=1; }
    echo "$dump" | grep -q "^MajorSubsystemVersion[[:space:]]*4$" || { echo "$exe: subsystem version is not 4"; fail=1; }
    echo "$dump" | grep -q "^MinorSubsystemVersion[[:space:]]*0$" || { echo "$exe: subsystem version is not 4.0"; fail=1; }
    echo "$dump" | grep -q "^[[:space:]]*DYNAMIC_BASE" || { echo "$exe: no dynamic base (ASLR)"; fail=1; }
    echo "$dump" | grep -q "^[[:space:]]*NX_COMPAT" || { echo "$exe: not NX compatible"; fail=1; }
    # A dynamic base without its relocations would make the loader refuse to move it.
    echo "$dump" | grep -Eq "^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation Directory" ||
        { echo "$exe: no relocation table"; fail=1; }
    echo "$dump" | grep -Eq "^Time/Date[[:space:]]+Thu Jan  1 00:00:00 1970$" || { echo "$exe: has a time stamp"; fail=1; }
    [ $fail = 0 ] && echo "$(basename "$exe") imports: $(echo $dlls)"
    return $fail
}

status=0
for exe in "$@"; do
    check_program "$exe" || status=1
done
exit $status
