#include "support/plain_path.h"

#include <windows.h>
#include <string.h>

#include "support/bounded.h"

enum { PlainPathCapacity = 520 };

// The last folder found plain, until PlainPathForget.
static char gPlainFolder[PlainPathCapacity];

// A folder and its resolved path, kept while the same folder is asked for
// again: the files of one folder follow each other, and every check below
// one base resolves that base. A stale entry errs on the safe side: a folder
// swapped for a link since resolves elsewhere now, and what lies in it then
// counts as a link.
struct ResolvedFolder {
    char folder[PlainPathCapacity];
    char final[PlainPathCapacity];
};
static ResolvedFolder gLinkParent;  // the folder of IsLink's last file
static ResolvedFolder gPlainBase;   // PathPlainBelow's last base

void PlainPathForget()
{
    gPlainFolder[0] = '\0';
    gLinkParent.folder[0] = '\0';
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

// folder's resolved path without a closing backslash, from cache when it
// holds folder; NULL when it cannot be resolved.
static const char* FolderFinal(FinalPathCall final, const char* folder, ResolvedFolder* cache)
{
    if (lstrcmpiA(folder, cache->folder) == 0)
        return cache->final;
    cache->folder[0] = '\0';
    if (!FinalPath(final, folder, cache->final, sizeof cache->final))
        return NULL;
    size_t length = (size_t)lstrlenA(cache->final);
    if (cache->final[length - 1] == '\\')
        cache->final[length - 1] = '\0';
    CopyText(cache->folder, sizeof cache->folder, folder);
    return cache->final;
}

// 1 when path resolves to folderFinal followed by rest (which starts with a
// backslash).
static int ResolvesTo(FinalPathCall final, const char* path, const char* folderFinal, const char* rest)
{
    char expected[PlainPathCapacity];
    char pathFinal[PlainPathCapacity];
    return folderFinal && FinalPath(final, path, pathFinal, sizeof pathFinal) &&
           CopyText(expected, sizeof expected, folderFinal) && AppendText(expected, sizeof expected, rest) &&
           lstrcmpiA(expected, pathFinal) == 0;
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
    return !ResolvesTo(final, path, FolderFinal(final, parent, &gLinkParent), path + leaf - 1);
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
    char baseFolder[PlainPathCapacity];
    // A drive as base needs its backslash to mean its root.
    CopyText(baseFolder, sizeof baseFolder, base);
    if (lstrlenA(baseFolder) == 2)
        AppendText(baseFolder, sizeof baseFolder, "\\");
    if (!ResolvesTo(final, path, FolderFinal(final, baseFolder, &gPlainBase), path + baseLength - 1))
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
