// Program entry of the setup: the backdrop, the start-up checks, the pages.
#include <windows.h>

#include "resources/resource_ids.h"
#include "setup/driver.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "setup/run_report.h"
#include "support/bounded.h"
#include "support/command_line.h"
#include "support/product_lock.h"
#include "support/product_names.h"

static const char HelpText[] =
    "setup.exe [/S] [/LOG=Datei] [/D=Ordner]\n\n"
    "/S\tohne Fenster installieren; Exit-Code 0 nur, wenn " PRODUCT_NAME " installiert ist\n"
    "/LOG=Datei\teinen Bericht \xFC" "ber den Lauf in die Datei schreiben\n"
    "/D=Ordner\tin diesen Ordner installieren (als letzter Schalter)\n"
    "/?\tdiese Hilfe";

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int)
{
    if (previous)
        return 0;
    // A command line that is not understood changes nothing.
    char self[PathCapacity];
    DWORD selfLength = GetModuleFileNameA(NULL, self, sizeof self);
    if (selfLength == 0 || selfLength >= sizeof self)
        self[0] = '\0';
    SetupOptions options;
    ParseSetupOptions(CommandArguments(self), &options);
    if (options.help || options.bad) {
        if (options.help || !options.silent)
            MessageBoxA(NULL, HelpText, PRODUCT_NAME, MB_OK | MB_SETFOREGROUND);
        return options.bad ? SilentBadCommandLine : SilentHelpShown;
    }
    gSetup.silent = options.silent;
    if (options.reportPath[0])
        ReportOpen(options.reportPath);

    // A second start (a double click taken twice) shows the running setup
    // instead; an uninstaller at work, or whatever else holds the lock,
    // keeps the setup out as well, with a word. Unattended, nothing is shown.
    if (!ProductLockTake()) {
        HWND running = gSetup.silent ? NULL : FindWindowA(SETUP_CLASS, SETUP_TITLE);
        if (running)
            SetForegroundWindow(GetLastActivePopup(running));
        else if (!gSetup.silent)
            ProductLockTellBusy(PRODUCT_NAME);
        ReportEnd("ein anderes Setup oder eine Deinstallation l\xE4uft", gSetup.silent ? SilentBusy : 0);
        return gSetup.silent ? SilentBusy : 0;
    }

    // The payload is found, and the backdrop's WM_CREATE loads the icons, from here.
    gSetup.instance = instance;
    if (gSetup.silent)
        return RunSilentInstall(options.folder);

    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = BackdropWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    windowClass.lpszClassName = SETUP_CLASS;
    if (!RegisterClassA(&windowClass))
        return 0;

    HWND backdrop = CreateWindowExA(0, SETUP_CLASS, SETUP_TITLE, WS_POPUP, 0, 0,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                    NULL, NULL, instance, NULL);
    if (!backdrop)
        return 0;
    ShowWindow(backdrop, SW_SHOW);
    UpdateWindow(backdrop);

    if (!RunStartupChecks()) {
        ReportEnd("Installation abgebrochen", gSetup.abortCode);
        return 0;
    }
    // /D= proposes its folder on the target page, which commits it as typed.
    char proposed[TextCapacity];
    int length = lstrlenA(options.folder);
    if (length > 0 && CopyText(proposed, sizeof proposed, options.folder) &&
        (options.folder[length - 1] == '\\' || AppendText(proposed, sizeof proposed, "\\")))
        CopyText(gSetup.targetPath, sizeof gSetup.targetPath, proposed);
    RunPageLoop(backdrop);
    RunEnding(backdrop);
    return 1;
}

// The process starts here: the setup links no C runtime and has no static
// constructors; WinMain reads the command line itself. The DLL search is narrowed before
// anything can load a DLL by name.
extern "C" void __cdecl WinMainCRTStartup()
{
    RestrictDllSearch();
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)"", SW_SHOWNORMAL));
}
