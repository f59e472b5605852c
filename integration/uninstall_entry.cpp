// The game's entry in the system's list of installed programs.
#include <windows.h>
#include <shellapi.h>

#include "integration/install_log.h"
#include "integration/integration.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/product_names.h"
#include "version.h"

#include <string.h>

const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

enum { EntryKeyCapacity = 300 };

// The key name must name one key right below Uninstall: an empty name
// would address the Uninstall key itself, and a name with a backslash
// creates parent keys that deleting the last one leaves behind.
static int EntryKeyName(char* entry, size_t capacity, const char* keyName)
{
    if (keyName[0] == '\0')
        return 0;
    for (const char* p = keyName; *p; ++p)
        if (*p == '\\')
            return 0;
    return CopyText(entry, capacity, "Uninstall\\") && AppendText(entry, capacity, keyName);
}

static LONG CreateEntryKey(HKEY parent, const char* entry, HKEY* key, DWORD* disposition)
{
    *disposition = 0;
    return RegCreateKeyExA(parent, entry, 0, (LPSTR)"", REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                           key, disposition);
}

// Opens the parent key and creates or opens the entry key below it, its
// name put into entry (EntryKeyCapacity bytes). On 1 both keys are open; on
// 0 neither is.
static int OpenEntryKey(const char* keyName, char* entry, HKEY* parent, HKEY* key, DWORD* disposition)
{
    if (!EntryKeyName(entry, EntryKeyCapacity, keyName))
        return 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CurrentVersionKey, 0, KEY_READ | KEY_WRITE, parent) != ERROR_SUCCESS)
        return 0;
    if (CreateEntryKey(*parent, entry, key, disposition) != ERROR_SUCCESS) {
        RegCloseKey(*parent);
        return 0;
    }
    return 1;
}

static void SetText(HKEY key, const char* name, const char* text)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)text, (DWORD)lstrlenA(text) + 1);
}

static void SetNumber(HKEY key, const char* name, DWORD number)
{
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE*)&number, sizeof number);
}

// What the system's list of programs and inventory tools show besides the
// name: icon, version, publisher, folder, size and date, no "Change" or
// "Repair" (there is nothing to change), and the quiet removal.
static void SetDetails(HKEY key, const char* command)
{
    char text[PathCapacity];
    // The game's own icon when its program carries one, else the uninstaller's.
    CopyText(text, sizeof text, gSetup.targetPath);
    AppendText(text, sizeof text, GAME_PROGRAM);
    if ((UINT_PTR)ExtractIconA(gSetup.instance, text, (UINT)-1) == 0) {
        CopyText(text, sizeof text, gSetup.targetPath);
        AppendText(text, sizeof text, UNINSTALL_PROGRAM);
    }
    SetText(key, "DisplayIcon", text);
    SetText(key, "DisplayVersion", KOVRA_VERSION);
    SetText(key, "Publisher", KOVRA_PUBLISHER);
    // The folder without its backslash, a drive's root with it.
    CopyText(text, sizeof text, gSetup.targetPath);
    size_t length = strlen(text);
    if (length > 3)
        text[length - 1] = '\0';
    SetText(key, "InstallLocation", text);
    SetNumber(key, "EstimatedSize", gSetup.extraction.dataTotal / 1024 + (gSetup.extraction.dataTotal % 1024 != 0));
    SetNumber(key, "NoModify", 1);
    SetNumber(key, "NoRepair", 1);
    CopyText(text, sizeof text, command);
    AppendText(text, sizeof text, " /S");
    SetText(key, "QuietUninstallString", text);
    SYSTEMTIME today;
    GetLocalTime(&today);
    wsprintfA(text, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    SetText(key, "InstallDate", text);
}

// folder + program into path (capacity bytes).
static void UninstallCommand(char* path, size_t capacity, const char* folder, const char* program)
{
    CopyText(path, capacity, folder);
    AppendText(path, capacity, program);
}

int RegisterUninstall(const char* keyName, const char* displayText, const char* programFile)
{
    if (gSetup.platform == 0)
        return 1;

    // Quoted when the path holds a blank, as Windows writes it for programs
    // under "Program Files": unquoted, "D:\Spiele\Kovra Rendo Cup\uninst.exe"
    // would start a planted D:\Spiele\Kovra.exe.
    char path[PathCapacity];
    char command[PathCapacity];
    UninstallCommand(path, sizeof path, gSetup.targetPath, programFile);
    CopyText(command, sizeof command, strchr(path, ' ') ? "\"" : "");
    AppendText(command, sizeof command, path);
    AppendText(command, sizeof command, strchr(path, ' ') ? "\"" : "");

    char entry[EntryKeyCapacity];
    HKEY parent, key;
    DWORD disposition;
    if (!OpenEntryKey(keyName, entry, &parent, &key, &disposition))
        return 0;
    if (disposition != REG_CREATED_NEW_KEY) {
        // An entry of an earlier installation is replaced as a whole, so
        // that none of its other values survive.
        RegCloseKey(key);
        RegDeleteKeyA(parent, entry);
        if (CreateEntryKey(parent, entry, &key, &disposition) != ERROR_SUCCESS) {
            RegCloseKey(parent);
            return 0;
        }
        if (disposition != REG_CREATED_NEW_KEY) {
            RegCloseKey(key);
            RegCloseKey(parent);
            return 0;
        }
    }
    SetText(key, "DisplayName", displayText);
    SetText(key, "UninstallString", command);
    SetDetails(key, command);
    RegCloseKey(key);
    RegCloseKey(parent);

    return LogOrAbort("RK", keyName);
}

int UninstallEntryNames(const char* keyName, const char* folder, const char* program)
{
    char entry[EntryKeyCapacity];
    if (!EntryKeyName(entry, sizeof entry, keyName))
        return 0;
    char keyPath[EntryKeyCapacity + sizeof CurrentVersionKey];
    CopyText(keyPath, sizeof keyPath, CurrentVersionKey);
    AppendText(keyPath, sizeof keyPath, "\\");
    AppendText(keyPath, sizeof keyPath, entry);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    char value[PathCapacity];
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    LONG read = RegQueryValueExA(key, "UninstallString", NULL, &type, (BYTE*)value, &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ)
        return 0;
    value[size] = '\0';

    char path[PathCapacity];
    UninstallCommand(path, sizeof path, folder, program);
    const char* named = value;
    size_t length = strlen(value);
    // Either form the setup writes: quoted or as it stands.
    if (length >= 2 && value[0] == '"' && value[length - 1] == '"') {
        value[length - 1] = '\0';
        named = value + 1;
    }
    return lstrcmpiA(named, path) == 0;
}

int RemoveUninstallEntry(const char* keyName)
{
    char entry[EntryKeyCapacity];
    HKEY parent, key;
    DWORD disposition;
    if (!OpenEntryKey(keyName, entry, &parent, &key, &disposition))
        return 0;
    RegCloseKey(key);
    // NT refuses a key that has a sub-key; Windows 9x would take the sub-key
    // along, but the setup never writes one.
    LONG deleted = RegDeleteKeyA(parent, entry);
    RegCloseKey(parent);
    return deleted == ERROR_SUCCESS;
}
