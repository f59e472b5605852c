#include "support/plain_path.h"

#include <windows.h>
#include <string.h>

#include "support/bounded.h"

enum { PlainPathCapacity = 520 };

// The last folder found plain, until PlainPathForget.
static char gPlainFolder[PlainPathCapacity];

// The last folder whose files IsLink looked at, and its resolved path: the
// files of one folder follow each other. An entry gone stale errs on the
// safe side: a folder swapped for a link since resolves elsewhere, and its
// files then count as links.
static char gLinkParent[PlainPathCapacity];
static char gLinkParentFinal[PlainPathCapacity];

void PlainPathForget()
{
    gPlainFolder[0] = '\0';
    gLinkParent[0] = '\0';
}

typedef DWORD(WINAPI* FinalPathCall)(HANDLE, LPSTR, DWORD, DWORD);

// Windows before Vista has no final paths; kernel32 is always loaded.
static FinalPathCall FinalPathFunction()
{
    return (FinalPathCall)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA");
}

// The folder's path with every link resolved, in folder (capacity bytes).
static int FinalPath(FinalPathCall final, const char* path, char* folder, DWORD capacity)
{
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    DWORD length = final(handle, folder, capacity, 0);
    CloseHandle(handle);
    return length > 0 && length < capacity;
}

// 1 when folder's resolved path followed by rest (which starts with a
// backslash) is objectFinal, the object's resolved path.
static int FinalPathIs(FinalPathCall final, const char* folder, const char* rest, const char* objectFinal)
{
    char folderFinal[PlainPathCapacity];
    if (!FinalPath(final, folder, folderFinal, sizeof folderFinal))
        return 0;
    size_t length = (size_t)lstrlenA(folderFinal);
    if (length > 0 && folderFinal[length - 1] == '\\')
        folderFinal[length - 1] = '\0';
    return AppendText(folderFinal, sizeof folderFinal, rest) && lstrcmpiA(folderFinal, objectFinal) == 0;
}

int IsLink(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return 1;
    // Wine marks a link to a folder but not a link to a file (measured with
    // 8.0): the file's resolved path then leaves its folder or changes name.
    FinalPathCall final = FinalPathFunction();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || !final)
        return 0;
    char parent[PlainPathCapacity];
    char fileFinal[PlainPathCapacity];
    size_t leaf = 0;
    for (size_t i = 0; path[i] != '\0'; ++i)
        if (path[i] == '\\')
            leaf = i + 1;
    // The parent keeps its backslash only as a drive's root.
    size_t parentLength = leaf == 3 ? 3 : leaf - 1;
    if (leaf < 3 || parentLength >= sizeof parent)
        return 1;
    memcpy(parent, path, parentLength);
    parent[parentLength] = '\0';
    if (lstrcmpiA(parent, gLinkParent) != 0) {
        gLinkParent[0] = '\0';
        if (!FinalPath(final, parent, gLinkParentFinal, sizeof gLinkParentFinal))
            return 1;
        size_t length = (size_t)lstrlenA(gLinkParentFinal);
        if (length > 0 && gLinkParentFinal[length - 1] == '\\')
            gLinkParentFinal[length - 1] = '\0';
        CopyText(gLinkParent, sizeof gLinkParent, parent);
    }
    char expected[PlainPathCapacity];
    return !FinalPath(final, path, fileFinal, sizeof fileFinal) ||
           !CopyText(expected, sizeof expected, gLinkParentFinal) ||
           !AppendText(expected, sizeof expected, path + leaf - 1) || lstrcmpiA(expected, fileFinal) != 0;
}

int PathPlainBelow(const char* base, const char* rest)
{
    char path[PlainPathCapacity];
    if (!CopyText(path, sizeof path, base) || !AppendText(path, sizeof path, "\\"))
        return 0;
    size_t baseLength = (size_t)lstrlenA(path);
    if (!AppendText(path, sizeof path, rest))
        return 0;
    // Records of one folder follow each other: its check is done once.
    size_t parentEnd = 0;
    for (size_t i = baseLength; path[i] != '\0'; ++i)
        if (path[i] == '\\')
            parentEnd = i;
    if (parentEnd == 0)
        return 1;
    path[parentEnd] = '\0';
    int known = lstrcmpiA(path, gPlainFolder) == 0;
    path[parentEnd] = '\\';
    if (known)
        return 1;

    for (size_t i = baseLength; i <= parentEnd; ++i) {
        if (path[i] != '\\')
            continue;
        path[i] = '\0';
        DWORD attributes = GetFileAttributesA(path);
        path[i] = '\\';
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return 1;   // nothing there to undo
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return 0;
    }
    path[parentEnd] = '\0';
    FinalPathCall final = FinalPathFunction();
    if (!final)
        return CopyText(gPlainFolder, sizeof gPlainFolder, path);

    // The attribute test misses a link that the file system does not mark;
    // the resolved paths do not.
    char parentFinal[PlainPathCapacity];
    char baseFolder[PlainPathCapacity];
    // A drive as base needs its backslash to mean its root.
    CopyText(baseFolder, sizeof baseFolder, base);
    if (lstrlenA(baseFolder) == 2)
        AppendText(baseFolder, sizeof baseFolder, "\\");
    if (!FinalPath(final, path, parentFinal, sizeof parentFinal) ||
        !FinalPathIs(final, baseFolder, path + baseLength - 1, parentFinal))
        return 0;
    return CopyText(gPlainFolder, sizeof gPlainFolder, path);
}

int DeleteOwnFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        // A folder link goes as the link; a plain folder is no file of ours.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            RemoveDirectoryA(path);
        return 1;
    }
    // A file link is passed over and stays: Wine's DeleteFileA deletes what
    // it points to, and the link is no file the setup made. Tested right
    // before each change, as the name can be swapped at any time.
    if (IsLink(path))
        return 1;
    if (DeleteFileA(path))
        return 1;
    // A game file marked read-only since is still the game's.
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !IsLink(path) &&
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        if (!IsLink(path) && DeleteFileA(path))
            return 1;
        SetFileAttributesA(path, attributes);
    }
    return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}

int RemoveOwnFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    // On a junction or folder link this removes the link, never what it
    // points to.
    if (RemoveDirectoryA(path) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return 1;
    return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}
