// Start-menu entries: a folder in the user's Programs menu with a shortcut
// to the game and one to the uninstaller (platforms 1 and 2), or a Program
// Manager group with the uninstaller (platform 0).
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include "integration/install_log.h"
#include "integration/integration.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/product_names.h"

static const char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

enum { WideCapacity = 260 };

// Reads the "Programs" value of an open shell-folders key. A value that is
// missing, not text, empty or too long for the buffer gives 0, so that no
// path is ever built from an unread buffer or one pointing at a drive root.
static int ReadProgramsValue(HKEY key, char* folder, size_t capacity)
{
    DWORD type = 0;
    DWORD size = (DWORD)capacity;
    if (capacity == 0 ||
        RegQueryValueExA(key, "Programs", NULL, &type, (BYTE*)folder, &size) != ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;
    // The stored bytes need not end in a zero.
    if (size < capacity)
        folder[size] = '\0';
    else if (folder[capacity - 1] != '\0')
        return 0;
    return folder[0] != '\0';
}

int ReadProgramsFolder(REGSAM access, char* folder, size_t capacity)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, access, &key) != ERROR_SUCCESS)
        return 0;
    int read = ReadProgramsValue(key, folder, capacity);
    RegCloseKey(key);
    return read;
}

// 1 when path lies below folder.
static int Below(const char* path, const char* folder)
{
    size_t length = strlen(folder);
    return length > 0 && strlen(path) > length && path[length] == '\\' &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path, (int)length, folder, (int)length) == CSTR_EQUAL;
}

int ProgramsFolderHolding(const char* path, char* folder, size_t capacity)
{
    if (!ReadProgramsFolder(KEY_QUERY_VALUE, folder, capacity))
        return 0;
    if (Below(path, folder))
        return 1;
    // Where the user's Programs folder lies in the user's profile, there it
    // lies in every profile.
    char own[ProgramsCapacity];
    DWORD ownLength = GetEnvironmentVariableA("USERPROFILE", own, sizeof own);
    if (ownLength == 0 || ownLength >= sizeof own || !Below(folder, own))
        return 0;
    char within[ProgramsCapacity];
    CopyText(within, sizeof within, folder + ownLength);
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                      KEY_READ, &list) != ERROR_SUCCESS)
        return 0;
    int found = 0;
    char name[ProgramsCapacity];
    for (DWORD i = 0; !found && RegEnumKeyA(list, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        HKEY profile;
        if (RegOpenKeyExA(list, name, 0, KEY_QUERY_VALUE, &profile) != ERROR_SUCCESS)
            continue;
        char stored[ProgramsCapacity];
        DWORD size = sizeof stored - 1;
        DWORD type = 0;
        if (RegQueryValueExA(profile, "ProfileImagePath", NULL, &type, (BYTE*)stored, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            stored[size] = '\0';
            DWORD expanded = ExpandEnvironmentStringsA(stored, folder, (DWORD)capacity);
            found = expanded > 0 && expanded <= capacity && AppendText(folder, capacity, within) && Below(path, folder);
        }
        RegCloseKey(profile);
    }
    RegCloseKey(list);
    return found;
}

// "%s\%s" into path (capacity bytes); 0 when it does not fit.
static int JoinPath(char* path, size_t capacity, const char* folder, const char* name)
{
    int fits = CopyText(path, capacity, folder);
    fits &= AppendText(path, capacity, "\\");
    fits &= AppendText(path, capacity, name);
    return fits;
}

// targetPath + program into path (capacity bytes).
static void TargetProgram(char* path, size_t capacity, const char* program)
{
    CopyText(path, capacity, gSetup.targetPath);
    AppendText(path, capacity, program);
}

int CreateStartMenuFolder(const char* name)
{
    char programs[ProgramsCapacity];
    if (!ReadProgramsFolder(KEY_READ | KEY_WRITE, programs, sizeof programs))
        return 0;
    char folder[PathCapacity];
    if (!JoinPath(folder, sizeof folder, programs, name))
        return 0;
    // An existing folder is used as it is; the record is written either way.
    CreateDirectoryA(folder, NULL);
    return LogOrAbort("CI", folder);
}

int CreateShortcut(const char* linkName, const char* target)
{
    char programs[ProgramsCapacity];
    if (!ReadProgramsFolder(KEY_QUERY_VALUE, programs, sizeof programs))
        return 0;

    char linkFile[PathCapacity];
    if (!JoinPath(linkFile, sizeof linkFile, programs, linkName) ||
        !AppendText(linkFile, sizeof linkFile, ".lnk"))
        return 0;
    WCHAR wideFile[WideCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, wideFile, WideCapacity) == 0)
        return 0;

    // The working folder is the target's own folder, its backslash kept.
    char workDir[PathCapacity];
    CopyText(workDir, sizeof workDir, target);
    char* cut = workDir;
    for (char* p = workDir; *p; ++p)
        if (*p == '\\')
            cut = p + 1;
    *cut = '\0';

    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return 0;
    IPersistFile* file = NULL;
    if (FAILED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        link->Release();
        return 0;
    }
    link->SetPath(target);
    link->SetWorkingDirectory(workDir);
    // A failed save is not noticed: the record is written and the rollback's
    // delete of the absent file does nothing.
    file->Save(wideFile, FALSE);
    file->Release();
    link->Release();

    return LogOrAbort("CL", linkFile);
}

int ShortcutPointsInto(const char* linkPath, const char* folder)
{
    WCHAR wideFile[WideCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, wideFile, WideCapacity) == 0)
        return 1;
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link)))
        return 1;
    int into = 1;
    IPersistFile* file = NULL;
    char target[PathCapacity];
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        if (SUCCEEDED(file->Load(wideFile, STGM_READ)) &&
            link->GetPath(target, sizeof target, NULL, 0) == S_OK && target[0]) {
            int length = lstrlenA(folder);
            into = lstrlenA(target) >= length &&
                   CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, target, length, folder, length) ==
                       CSTR_EQUAL;
        }
        file->Release();
    }
    link->Release();
    return into;
}

int InstallStartMenuEntries()
{
    char program[PathCapacity];
    if (gSetup.platform == 1 || gSetup.platform == 2) {
        // Both shortcuts go into the product's folder.
        char link[sizeof PRODUCT_NAME "\\" UNINSTALL_LINK_NAME];
        if (!CreateStartMenuFolder(PRODUCT_NAME))
            return 0;
        TargetProgram(program, sizeof program, GAME_PROGRAM);
        JoinPath(link, sizeof link, PRODUCT_NAME, PRODUCT_NAME);
        if (!CreateShortcut(link, program))
            return 0;
        TargetProgram(program, sizeof program, UNINSTALL_PROGRAM);
        JoinPath(link, sizeof link, PRODUCT_NAME, UNINSTALL_LINK_NAME);
        return CreateShortcut(link, program);
    }

    // A group left by an earlier installation goes first, so that the new
    // group holds only the uninstaller. Program Manager's answers are not
    // needed: the group is logged either way.
    DeleteProgramGroup(PRODUCT_NAME);
    CreateProgramGroup(PRODUCT_NAME);
    TargetProgram(program, sizeof program, UNINSTALL_PROGRAM);
    AddProgramItem(PRODUCT_NAME, program, UNINSTALL_LINK_NAME);
    return LogOrAbort("PG", PRODUCT_NAME);
}
