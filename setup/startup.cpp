// Start-up checks, in an order that decides which failure is reported.
#include <windows.h>
#include <objbase.h>

#include "integration/integration.h"
#include "resources/resource_ids.h"
#include "setup/driver.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "support/bounded.h"
#include "support/product_names.h"

// Where ProgramFilesDir cannot be read the user still gets a usable default.
static const char FallbackProgramFiles[] = "C:\\Programme";

enum { ProgramFilesValueCapacity = 1000 };

static unsigned char PlatformKind()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwMajorVersion < 4)
        return 0;
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_WINDOWS: return 1;
    case VER_PLATFORM_WIN32_NT: return 2;
    default: return 0;
    }
}

void BuildDefaultTarget(const char* value, DWORD valueSize, char* target, size_t capacity)
{
    // The registry gives no guarantee of a terminating zero, so take only the
    // bytes it reported, up to the first zero among them.
    char folder[TextCapacity];
    size_t length = 0;
    while (length < valueSize && length + 1 < sizeof folder && value[length] != '\0') {
        folder[length] = value[length];
        ++length;
    }
    folder[length] = '\0';
    if (length == 0 || length + 1 == sizeof folder)
        CopyText(folder, sizeof folder, FallbackProgramFiles);
    if (folder[lstrlenA(folder) - 1] != '\\')
        AppendText(folder, sizeof folder, "\\");

    // A folder too long for the product name falls back as a whole rather
    // than leaving a truncated path without its closing backslash.
    if (lstrlenA(folder) + sizeof(PRODUCT_NAME "\\") > capacity) {
        CopyText(folder, sizeof folder, FallbackProgramFiles);
        AppendText(folder, sizeof folder, "\\");
    }
    CopyText(target, capacity, folder);
    AppendText(target, capacity, PRODUCT_NAME);
    AppendText(target, capacity, "\\");
}

int RunStartupChecks()
{
    gSetup.abortCode = AbortNone;
    // Without the system's own expander and progress bar there is no install;
    // the run ends here like any other failed check.
    if (!LoadSystemDlls()) {
        gSetup.abortCode = AbortSystemDll;
        return 0;
    }
    gSystemDlls.initCommonControls();
    gSetup.platform = PlatformKind();

    if (CoInitialize(NULL) != S_OK) {
        gSetup.abortCode = AbortComInit;
        return 0;
    }

    HRSRC payload = FindResourceA(gSetup.instance, MAKEINTRESOURCEA(IDR_PAYLOAD), PAYLOAD_TYPE);
    if (!payload) {
        gSetup.abortCode = AbortNoPayload;
        return 0;
    }
    DWORD size = SizeofResource(gSetup.instance, payload);
    if (size == 0) {
        gSetup.abortCode = AbortEmptyPayload;
        return 0;
    }
    gSetup.payloadSize = size;

    UINT length = GetWindowsDirectoryA(gSetup.windowsDir, sizeof gSetup.windowsDir);
    if (length == 0 || length > sizeof gSetup.windowsDir) {
        if (!gSetup.silent)
            MessageBoxA(NULL, "Konnte Windows-System-Verzeichnis nicht lesen.", "Fehler", MB_OK);
        gSetup.abortCode = AbortWindowsDir;
        return 0;
    }

    gSetup.page = PageWelcome;

    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CurrentVersionKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        gSetup.abortCode = AbortNoProgramFilesKey;
        return 0;
    }
    char value[ProgramFilesValueCapacity];
    DWORD valueSize = sizeof value;
    if (RegQueryValueExA(key, "ProgramFilesDir", NULL, NULL, (BYTE*)value, &valueSize) != ERROR_SUCCESS)
        valueSize = 0;
    RegCloseKey(key);

    BuildDefaultTarget(value, valueSize, gSetup.targetPath, sizeof gSetup.targetPath);
    return 1;
}
