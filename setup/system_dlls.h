// The system DLLs that setup.exe does not import: LZ32 (the expander) and
// COMCTL32 (the progress bar). Neither is a KnownDLL, so an import would be
// looked for in the program's own folder first, where a planted copy would
// run inside the setup. They are loaded by their full path in the system
// folder instead, and each function is looked up by name.
#ifndef KOVRA_SYSTEM_DLLS_H
#define KOVRA_SYSTEM_DLLS_H

#include <windows.h>

// The functions the setup calls; all NULL until LoadSystemDlls succeeds,
// which the start-up checks make a condition of every page.
struct SystemDlls {
    INT(WINAPI* lzOpenFile)(LPSTR path, LPOFSTRUCT scratch, WORD mode);
    LONG(WINAPI* lzSeek)(INT handle, LONG offset, INT origin);
    INT(WINAPI* lzRead)(INT handle, LPSTR buffer, INT count);
    void(WINAPI* lzClose)(INT handle);
    void(WINAPI* initCommonControls)(void);
};

extern SystemDlls gSystemDlls;

// Where kernel32 offers it (Windows 8, or 7 and Vista with the update),
// restricts every later DLL search, also the shell's, to the system folder.
void RestrictDllSearch();

// Loads LZ32 and COMCTL32 from the system folder and finds every function of
// gSystemDlls. Returns 0, with gSystemDlls left as it was, when a DLL or a
// function is missing.
int LoadSystemDlls();

#endif
