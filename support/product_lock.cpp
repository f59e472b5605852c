// The product's run lock (product_lock.h).
#include "support/product_lock.h"

#include <windows.h>

#include "support/product_names.h"

// "Global\" reaches every session from Windows 2000 on; Windows 95 to NT 4
// know one namespace only and refuse the backslash.
static HANDLE CreateLock()
{
    DWORD version = GetVersion();
    int sessions = !(version & 0x80000000) && (version & 0xFF) >= 5;
    return CreateMutexA(NULL, FALSE, sessions ? "Global\\" PRODUCT_KEY_NAME : PRODUCT_KEY_NAME);
}

int ProductLockTake()
{
    // A mutex made by another user's elevated run cannot be opened (access
    // denied): that run counts as well.
    HANDLE lock = CreateLock();
    if (!lock)
        return 0;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(lock);
        return 0;
    }
    return 1;
}

void ProductLockJoin()
{
    CreateLock();
}

void ProductLockTellBusy(const char* caption)
{
    MessageBoxA(NULL,
                "Es l\xE4uft bereits ein Setup oder eine Deinstallation von " PRODUCT_NAME ".\n"
                "Bitte warten Sie, bis es beendet ist.",
                caption, MB_OK | MB_SETFOREGROUND);
}
