#include "setup/system_dlls.h"

#include <string.h>

#include "support/bounded.h"

// Not in the headers of Windows 95's time.
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

SystemDlls gSystemDlls;

typedef BOOL(WINAPI* SetDefaultDllDirectoriesCall)(DWORD);

// GetProcAddress answers FARPROC whatever the function's type; going through
// void* says that the cast is meant.
static void* FindFunction(HMODULE module, const char* name)
{
    return module ? (void*)GetProcAddress(module, name) : NULL;
}

void RestrictDllSearch()
{
    SetDefaultDllDirectoriesCall restrict = (SetDefaultDllDirectoriesCall)FindFunction(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (restrict)
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The DLL of that name in the system folder, by its full path; NULL when the
// path does not fit or the DLL cannot be loaded.
static HMODULE LoadFromSystemFolder(const char* name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return NULL;
    if (path[length - 1] != '\\' && !AppendText(path, sizeof path, "\\"))
        return NULL;
    if (!AppendText(path, sizeof path, name))
        return NULL;
    return LoadLibraryA(path);
}

// In the order of the fields of SystemDlls.
static const struct {
    unsigned char dll;   // 0 = LZ32, 1 = COMCTL32
    char name[19];
} Functions[] = {
    { 0, "LZOpenFileA" }, { 0, "LZSeek" }, { 0, "LZRead" }, { 0, "LZClose" },
    { 1, "InitCommonControls" },
};

int LoadSystemDlls()
{
    HMODULE dlls[2] = { LoadFromSystemFolder("lz32.dll"), LoadFromSystemFolder("comctl32.dll") };
    void* found[sizeof Functions / sizeof Functions[0]];
    for (unsigned i = 0; i < sizeof Functions / sizeof Functions[0]; ++i) {
        found[i] = FindFunction(dlls[Functions[i].dll], Functions[i].name);
        if (!found[i])
            return 0;
    }
    // All or nothing: a half-filled set would leave calls that crash.
    static_assert(sizeof found == sizeof gSystemDlls, "one name per function");
    memcpy(&gSystemDlls, found, sizeof found);
    return 1;
}
