// The removal itself: the install log undone by the same record undo that
// the setup's rollback uses, then what the log does not name.
#include "uninstall/uninstall.h"

#include <objbase.h>

#include "support/bounded.h"
#include "support/plain_path.h"
#include "support/product_names.h"

// targetPath + name, refused when it does not fit: a cut path names
// another file.
static int TargetFile(const Removal* removal, const char* name, char* path, size_t capacity)
{
    return CopyText(path, capacity, removal->targetPath) && AppendText(path, capacity, name);
}

static void DeleteTargetFile(const Removal* removal, const char* name)
{
    char path[PathCapacity];
    if (TargetFile(removal, name, path, sizeof path))
        DeleteOwnFile(path);
}

// 1 when the target folder still holds anything besides the uninstaller's
// own file (which goes once the first process has ended).
static int TargetHoldsOthers(const Removal* removal)
{
    char pattern[PathCapacity];
    if (!TargetFile(removal, "*.*", pattern, sizeof pattern))
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int others = 0;
    do {
        const char* name = found.cFileName;
        if (lstrcmpA(name, ".") != 0 && lstrcmpA(name, "..") != 0
            && lstrcmpiA(name, UNINSTALL_PROGRAM) != 0)
            others = 1;
    } while (!others && FindNextFileA(search, &found));
    FindClose(search);
    return others;
}

int PrepareRemoval(Removal* removal, const char* targetPath)
{
    ZeroMemory(removal, sizeof *removal);
    if (!CopyText(removal->targetPath, sizeof removal->targetPath, targetPath))
        return 0;
    int length = lstrlenA(removal->targetPath);
    if (length < 3 || removal->targetPath[length - 1] != '\\')
        return 0;
    // The Windows folder is the current one while the work is done.
    UINT windowsLength = GetWindowsDirectoryA(removal->windowsDir, sizeof removal->windowsDir);
    if (windowsLength == 0 || windowsLength >= sizeof removal->windowsDir)
        removal->windowsDir[0] = '\0';
    else if (removal->windowsDir[windowsLength - 1] == '\\')
        removal->windowsDir[windowsLength - 1] = '\0';
    removal->replay.targetPath = removal->targetPath;
    removal->replay.ownProgram = UNINSTALL_PROGRAM;
    return 1;
}

int LogPresent(const Removal* removal)
{
    char path[PathCapacity];
    if (!TargetFile(removal, LOG_FILE_NAME, path, sizeof path))
        return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int RemoveGame(Removal* removal)
{
    char logPath[PathCapacity];
    size_t size = 0;
    char* text = TargetFile(removal, LOG_FILE_NAME, logPath, sizeof logPath) ? LoadLog(logPath, &size) : NULL;
    if (!text)
        return UninstallStopped;
    // The shortcuts are read through the shell's COM object; without COM
    // they are taken as ours, as the setup made them.
    HRESULT com = CoInitialize(NULL);
    int result = UndoLog(&removal->replay, text, &size, ReplayByKind);
    if (SUCCEEDED(com))
        CoUninitialize();
    // Should the shorter log not get written, the whole one stays: it names
    // more than is left, which a later run passes over.
    if (result == ReplayLeft)
        ReplaceLog(logPath, text, size);
    GlobalFree(text);
    if (result == ReplayDamaged)
        return UninstallStopped;
    if (result == ReplayLeft)
        return UninstallInUse;
    // An interrupted install leaves its staging files, which the log does
    // not name.
    DeleteTargetFile(removal, STAGED_FILE_NAME);
    DeleteTargetFile(removal, ARCHIVE_FILE_NAME);
    DeleteOwnFile(logPath);
    return TargetHoldsOthers(removal) ? UninstallFolderKept : UninstallComplete;
}

// 1 when path is a file and no link.
static int KeptFilePlain(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(path);
}

void FinishRemoval(Removal* removal)
{
    // The first process's file is free a moment after it ended, and a folder
    // that another program holds open for a moment (a window that shows it,
    // a virus scanner) refuses its removal: a few seconds of tries.
    char program[PathCapacity];
    int fileGone = !TargetFile(removal, UNINSTALL_PROGRAM, program, sizeof program);
    int levelsGone = 0;
    // A target that holds the user's own files stays by design: waiting for
    // it would only keep the next setup waiting on the lock.
    int keptByUser = 0;
    // A link put in the uninstaller's place is not ours: it stays, and so
    // does the kept file that would have taken the name back.
    int linked = 0;
    for (int tries = 0; tries < 30 && !(fileGone && (levelsGone || keptByUser)); ++tries) {
        if (tries > 0)
            Sleep(100);
        linked = linked || (!fileGone && IsLink(program));
        fileGone = fileGone || linked || DeleteFileA(program) ||
                   GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES;
        levelsGone = RemoveCreatedLevels(&removal->replay);
        keptByUser = !levelsGone && TargetHoldsOthers(removal);
    }
    // A file that was in the uninstaller's place before the install; Wine
    // moves what a link points to, so it is looked at right before.
    char kept[PathCapacity];
    int keptBack = !linked && removal->replay.ownKept[0] != '\0' &&
                   TargetFile(removal, removal->replay.ownKept, kept, sizeof kept);
    if (fileGone) {
        if (keptBack && KeptFilePlain(kept))
            MoveFileA(kept, program);
        return;
    }
    // The levels that only the file kept go with it, deepest first, after
    // the file: the order in which Windows carries the marks out.
    if (!IsLink(program))
        DeleteAtRestart(program);
    if (keptBack && KeptFilePlain(kept))
        MoveAtRestart(kept, program);
    char level[PathCapacity];
    for (int k = removal->replay.levelCount - 1; !levelsGone && k >= 0 && removal->replay.createdLevels[k]; --k)
        if (CreatedLevelPath(&removal->replay, k, level, sizeof level) &&
            GetFileAttributesA(level) != INVALID_FILE_ATTRIBUTES && !IsLink(level))
            DeleteAtRestart(level);
}
