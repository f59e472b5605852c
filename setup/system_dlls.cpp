#include "setup/system_dlls.h"

#include <lzexpand.h>

#include "support/bounded.h"

// Not in the headers of Windows 95's time.
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

typedef BOOL(WINAPI* SetDefaultDllDirectoriesCall)(DWORD);
typedef INT(WINAPI* LzOpenFileCall)(LPSTR, LPOFSTRUCT, WORD);
typedef LONG(WINAPI* LzSeekCall)(INT, LONG, INT);
typedef INT(WINAPI* LzReadCall)(INT, LPSTR, INT);
typedef void(WINAPI* LzCloseCall)(INT);
typedef void(WINAPI* InitCommonControlsCall)(void);

// GetProcAddress answers FARPROC whatever the function's type; going through
// void* says that the cast is meant.
static void* FindFunction(HMODULE module, const char* name)
{
    return (void*)GetProcAddress(module, name);
}

static LzOpenFileCall lzOpenFile;
static LzSeekCall lzSeek;
static LzReadCall lzRead;
static LzCloseCall lzClose;
static InitCommonControlsCall initCommonControls;

void RestrictDllSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesCall restrict =
        kernel ? (SetDefaultDllDirectoriesCall)FindFunction(kernel, "SetDefaultDllDirectories") : NULL;
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

int LoadSystemDlls()
{
    HMODULE lz = LoadFromSystemFolder("lz32.dll");
    HMODULE controls = LoadFromSystemFolder("comctl32.dll");
    if (!lz || !controls)
        return 0;
    LzOpenFileCall open = (LzOpenFileCall)FindFunction(lz, "LZOpenFileA");
    LzSeekCall seek = (LzSeekCall)FindFunction(lz, "LZSeek");
    LzReadCall read = (LzReadCall)FindFunction(lz, "LZRead");
    LzCloseCall close = (LzCloseCall)FindFunction(lz, "LZClose");
    InitCommonControlsCall init = (InitCommonControlsCall)FindFunction(controls, "InitCommonControls");
    if (!open || !seek || !read || !close || !init)
        return 0;
    // All or nothing: a half-found set would leave calls that fail oddly.
    lzOpenFile = open;
    lzSeek = seek;
    lzRead = read;
    lzClose = close;
    initCommonControls = init;
    return 1;
}

INT LzOpenFile(LPSTR path, LPOFSTRUCT scratch, WORD mode)
{
    return lzOpenFile ? lzOpenFile(path, scratch, mode) : LZERROR_BADINHANDLE;
}

LONG LzSeek(INT handle, LONG offset, INT origin)
{
    return lzSeek ? lzSeek(handle, offset, origin) : LZERROR_BADINHANDLE;
}

INT LzRead(INT handle, LPSTR buffer, INT count)
{
    return lzRead ? lzRead(handle, buffer, count) : LZERROR_BADINHANDLE;
}

void LzClose(INT handle)
{
    if (lzClose)
        lzClose(handle);
}

void InitCommonControlsLibrary()
{
    if (initCommonControls)
        initCommonControls();
}
