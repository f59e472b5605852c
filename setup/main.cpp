// Program entry of the setup: the backdrop, the start-up checks, the pages.
#include <windows.h>

#include "resources/resource_ids.h"
#include "setup/driver.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "support/product_lock.h"
#include "support/product_names.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int)
{
    if (previous)
        return 0;
    // A second start (a double click taken twice) shows the running setup
    // instead; an uninstaller at work, or whatever else holds the lock,
    // keeps the setup out as well, with a word.
    if (!ProductLockTake()) {
        HWND running = FindWindowA(SETUP_CLASS, SETUP_TITLE);
        if (running)
            SetForegroundWindow(GetLastActivePopup(running));
        else
            ProductLockTellBusy(PRODUCT_NAME);
        return 0;
    }

    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = BackdropWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = SETUP_CLASS;
    if (!RegisterClassA(&windowClass))
        return 0;

    // The backdrop's WM_CREATE loads the icons from here.
    gSetup.instance = instance;

    HWND backdrop = CreateWindowExA(0, SETUP_CLASS, SETUP_TITLE, WS_POPUP, 0, 0,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    NULL, NULL, instance, NULL);
    if (!backdrop)
        return 0;
    ShowWindow(backdrop, SW_SHOW);
    UpdateWindow(backdrop);

    if (!RunStartupChecks())
        return 0;
    RunPageLoop(backdrop);
    RunEnding(backdrop);
    return 1;
}

// The process starts here: the setup links no C runtime, has no static
// constructors and takes no command line. The DLL search is narrowed before
// anything can load a DLL by name.
extern "C" void __cdecl WinMainCRTStartup()
{
    RestrictDllSearch();
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)"", SW_SHOWNORMAL));
}
