// The system DLLs that setup.exe does not import: LZ32 (the expander) and
// COMCTL32 (the progress bar). Neither is a KnownDLL, so an import would be
// looked for in the program's own folder first, where a planted copy would
// run inside the setup. They are loaded by their full path in the system
// folder instead, and each function is looked up by name.
#ifndef KOVRA_SYSTEM_DLLS_H
#define KOVRA_SYSTEM_DLLS_H

#include <windows.h>

// Where kernel32 offers it (Windows 8, or 7 and Vista with the update),
// restricts every later DLL search, also the shell's, to the system folder.
void RestrictDllSearch();

// Loads LZ32 and COMCTL32 from the system folder and finds the functions the
// setup calls. Returns 0 when a DLL or a function is missing.
int LoadSystemDlls();

// The LZ32 calls; before a successful LoadSystemDlls they fail as on a bad
// handle (LZERROR_BADINHANDLE) and LzClose does nothing.
INT LzOpenFile(LPSTR path, LPOFSTRUCT scratch, WORD mode);
LONG LzSeek(INT handle, LONG offset, INT origin);
INT LzRead(INT handle, LPSTR buffer, INT count);
void LzClose(INT handle);

// InitCommonControls of COMCTL32; nothing before LoadSystemDlls.
void InitCommonControlsLibrary();

#endif
