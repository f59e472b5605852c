// Start-menu entries: a folder in the user's Programs menu with a shortcut
// to the game and one to the uninstaller (platforms 1 and 2), or a Program
// Manager group with the uninstaller (platform 0).
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "integration/install_log.h"
#include "integration/integration.h"
#include "setup/driver.h"
#include "setup/setup_state.h"
#include "support/bounded.h"

namespace {

const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUninstallName[] = "Entferne " PRODUCT_NAME;

enum { ProgramsCapacity = 260, WideCapacity = 260 };

// Reads the "Programs" value of an open shell-folders key. A value that is
// missing, not text, empty or too long for the buffer gives 0, so that no
// path is ever built from an unread buffer or one pointing at a drive root.
int ReadProgramsValue(HKEY key, char* folder)
{
    DWORD type = 0;
    DWORD size = ProgramsCapacity;
    if (RegQueryValueExA(key, "Programs", NULL, &type, (BYTE*)folder, &size) != ERROR_SUCCESS)
        return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return 0;
    // The stored bytes need not end in a zero.
    if (size < ProgramsCapacity)
        folder[size] = '\0';
    else if (folder[ProgramsCapacity - 1] != '\0')
        return 0;
    return folder[0] != '\0';
}

int ReadProgramsFolder(REGSAM access, char* folder)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFoldersKey, 0, access, &key) != ERROR_SUCCESS)
        return 0;
    int read = ReadProgramsValue(key, folder);
    RegCloseKey(key);
    return read;
}

// "%s\%s" into a PathCapacity buffer; 0 when it does not fit.
int JoinPath(char* path, const char* folder, const char* name)
{
    int fits = CopyText(path, PathCapacity, folder);
    fits &= AppendText(path, PathCapacity, "\\");
    fits &= AppendText(path, PathCapacity, name);
    return fits;
}

}  // namespace

int CreateStartMenuFolder(const char* name)
{
    char programs[ProgramsCapacity];
    if (!ReadProgramsFolder(KEY_READ | KEY_WRITE, programs))
        return 0;
    char folder[PathCapacity];
    if (!JoinPath(folder, programs, name))
        return 0;
    // An existing folder is used as it is; the record is written either way.
    CreateDirectoryA(folder, NULL);
    LogRecord("CI", folder);
    return 1;
}

int CreateShortcut(const char* linkName, const char* target)
{
    char programs[ProgramsCapacity];
    if (!ReadProgramsFolder(KEY_QUERY_VALUE, programs))
        return 0;

    char linkFile[PathCapacity];
    if (!JoinPath(linkFile, programs, linkName) || !AppendText(linkFile, PathCapacity, ".lnk"))
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

    LogRecord("CL", linkFile);
    return 1;
}

int InstallStartMenuEntries()
{
    char program[PathCapacity];
    if (gSetup.platform == 1 || gSetup.platform == 2) {
        if (!CreateStartMenuFolder(PRODUCT_NAME))
            return 0;
        CopyText(program, sizeof program, gSetup.targetPath);
        AppendText(program, sizeof program, "kovra.exe");
        if (!CreateShortcut(PRODUCT_NAME "\\" PRODUCT_NAME, program))
            return 0;
        CopyText(program, sizeof program, gSetup.targetPath);
        AppendText(program, sizeof program, "uninst.exe");
        return CreateShortcut(PRODUCT_NAME "\\Entferne " PRODUCT_NAME, program);
    }

    // A group left by an earlier installation goes first, so that the new
    // group holds only the uninstaller. Program Manager's answers are not
    // needed: the group is logged either way.
    DeleteProgramGroup(PRODUCT_NAME);
    CreateProgramGroup(PRODUCT_NAME);
    CopyText(program, sizeof program, gSetup.targetPath);
    AppendText(program, sizeof program, "uninst.exe");
    AddProgramItem(PRODUCT_NAME, program, kUninstallName);
    LogRecord("PG", PRODUCT_NAME);
    return 1;
}
