#!/usr/bin/env bash
# setup.exe must run on a bare system: GUI subsystem 4.0, statically linked,
# importing system DLLs only.
set -u
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe") || exit 1
fail=0
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll shell32.dll ole32.dll lz32.dll msvcrt.dll"
for dll in $(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case " $allowed " in *" $dll "*) ;; *) echo "not a system DLL: $dll"; fail=1 ;; esac
done
echo "$dump" | grep -q "^Subsystem.*(Windows GUI)" || { echo "not a GUI program"; fail=1; }
echo "$dump" | grep -q "^MajorSubsystemVersion[[:space:]]*4$" || { echo "subsystem version is not 4"; fail=1; }
echo "$dump" | grep -q "^MinorSubsystemVersion[[:space:]]*0$" || { echo "subsystem version is not 4.0"; fail=1; }
[ $fail = 0 ] && echo "imports: $(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
exit $fail
