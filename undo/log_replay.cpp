// The undo of install log records, from the last line back.
//
// The log is read back as untrusted text: whoever can write to the target
// folder can add lines to it. A record that names something setup does not
// make is passed over (record_check.h); one that does not name what its undo
// needs stops the replay. No record makes the replay act on something else.
#include <windows.h>
#include <string.h>

#include "integration/integration.h"
#include "undo/log_replay.h"
#include "undo/record_check.h"
#include "support/bounded.h"
#include "support/product_names.h"
#include "support/global_memory.h"

enum { ReplayPathCapacity = 500 };

// Deletes folder + separator + name when the joined path fits; a cut path
// could name another file.
static void DeleteContainedFile(const char* folder, const char* separator, const char* name)
{
    char path[ReplayPathCapacity];
    if (CopyText(path, sizeof path, folder) && AppendText(path, sizeof path, separator)
        && AppendText(path, sizeof path, name))
        DeleteFileA(path);
}

// Length of the first `levels` folder levels of path: a level ends at every
// position of 3 or more followed by a backslash, as the staging walk counts
// them. Returns -1 when path has fewer levels.
static int LevelPrefixLength(const char* path, int levels)
{
    if (levels == 0)
        return 0;
    int seen = 0;
    int length = (int)strlen(path);
    for (int i = 3; i + 1 < length; ++i) {
        if (path[i + 1] == '\\' && ++seen == levels)
            return i + 1;
    }
    return -1;
}

// Takes the ID record back. The flags stand for the levels of the target
// path from the shallowest on; the table keeps the deepest of them, which
// are the ones the walk meets first.
static int TakeLevels(LogReplay* replay, const char* argument)
{
    int flags[LogMaxLevels];
    int listed = 0;
    if (!LogParseLevels(argument, &listed, flags, LogMaxLevels))
        return 0;
    int kept = listed < MaxCreatedLevels ? listed : MaxCreatedLevels;
    for (int i = 0; i < kept; ++i)
        replay->createdLevels[i] = flags[listed - kept + i];
    replay->levelCount = kept;
    replay->recordLevels = listed;
    return 1;
}

int RemoveCreatedLevels(const LogReplay* replay)
{
    const char* target = replay->targetPath;
    char root[4] = { target[0], ':', '\\', '\0' };
    SetCurrentDirectoryA(root);

    // A record that lists more levels than the target path has does not
    // describe this path: no folder is touched.
    int length = LevelPrefixLength(target, replay->recordLevels);
    if (length <= 0)
        return 1;
    char work[ReplayPathCapacity];
    CopyText(work, sizeof work, target);
    if (length >= (int)sizeof work)
        return 1;
    work[length] = '\0';

    int gone = 1;
    for (int k = 0; k < replay->levelCount; ++k) {
        if (replay->createdLevels[replay->levelCount - 1 - k] == 0)
            continue;
        if (!RemoveDirectoryA(work) && GetFileAttributesA(work) != INVALID_FILE_ATTRIBUTES)
            gone = 0;
        size_t end = strlen(work);
        while (end > 0 && work[end - 1] != '\\')
            --end;
        if (end > 0)
            --end;
        work[end] = '\0';
        if (end < 3)
            return gone;
    }
    return gone;
}

// Whether the record acts only on what setup makes (RecordInScope), and an
// RK record's key still names this target's uninstaller.
static int RecordOwned(const LogReplay* replay, const char* code, const char* argument)
{
    int value = LogCodeOf(code);
    char programs[ProgramsCapacity];
    programs[0] = '\0';
    if ((value == LogCodeCI || value == LogCodeCL) &&
        !ReadProgramsFolder(KEY_QUERY_VALUE, programs, sizeof programs))
        programs[0] = '\0';
    RecordScope scope = { replay->targetPath, replay->windowsDir, programs };
    if (!RecordInScope(&scope, code, argument))
        return 0;
    return value != LogCodeRK || UninstallEntryNames(argument, replay->targetPath, UNINSTALL_PROGRAM);
}

int UndoLogRecord(LogReplay* replay, const char* code, const char* argument)
{
    if (!RecordOwned(replay, code, argument))
        return 1;
    switch (LogCodeOf(code)) {
    case LogCodeRK:
        RemoveUninstallEntry(argument);
        break;
    case LogCodeNC:
        DeleteContainedFile(replay->targetPath, "", argument);
        break;
    case LogCodeWC:
        DeleteContainedFile(replay->windowsDir, "\\", argument);
        break;
    case LogCodePG:
        DeleteProgramGroup(argument);
        break;
    case LogCodeSD:
    case LogCodeCI:
        RemoveDirectoryA(argument);
        break;
    case LogCodeCL:
        DeleteFileA(argument);
        break;
    case LogCodeIS:
        ResetScreenSaver();
        break;
    case LogCodeIN:
        return DeleteIniEntry(argument);
    case LogCodeID:
        return TakeLevels(replay, argument);
    }
    return 1;
}

// The whole log in one fixed block, CR LF made LF, closed by a zero byte.
// Others may read the log meanwhile, but not change it.
static char* LoadLog(const char* logPath, HGLOBAL* memory, size_t* size)
{
    HANDLE file = CreateFileA(logPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    char* text = NULL;
    DWORD high = 0;
    DWORD length = GetFileSize(file, &high);
    *memory = NULL;
    // A log over 256 MB is no log of ours (20,000 files make about 1 MB).
    if (length != INVALID_FILE_SIZE && high == 0 && length < 0x10000000)
        *memory = GlobalAlloc(GMEM_FIXED, length + 1);
    if (*memory)
        text = (char*)GlobalLock(*memory);
    DWORD read = 0;
    if (text && (!ReadFile(file, text, length, &read, NULL) || read != length)) {
        GlobalUnlock(*memory);
        text = NULL;
    }
    CloseHandle(file);
    if (!text) {
        if (*memory)
            GlobalFree(*memory);
        return NULL;
    }
    *size = LogJoinLineEnds(text, length);
    text[*size] = '\0';
    return text;
}

int UndoLogRecords(LogReplay* replay, const char* logPath)
{
    replay->levelCount = 0;
    replay->recordLevels = 0;
    HGLOBAL memory;
    size_t end = 0;
    const char* text = LoadLog(logPath, &memory, &end);
    if (!text)
        return 0;

    // An empty log has no line to undo first: it stops the replay, as a
    // line that cannot be read does, and the log stays.
    int undone = end > 0;
    char line[LogLineCapacity];
    char argument[LogLineCapacity];
    while (undone && LogPreviousLine(text, &end, line, sizeof line)) {
        char code[3];
        LogSplitLine(line, code, argument, sizeof argument);
        undone = UndoLogRecord(replay, code, argument);
    }
    GlobalUnlock(memory);
    GlobalFree(memory);
    return undone;
}

static int SwitchScreenSaverOff()
{
    return SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, NULL,
                                 SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) != 0;
}

int ResetScreenSaver()
{
    HWND properties = FindWindowA(NULL, "Eigenschaften von Anzeige");
    if (!properties)
        properties = FindWindowA(NULL, "Display Properties");
    if (properties)
        SendMessageA(properties, WM_CLOSE, 0, 0);

    if (!SwitchScreenSaverOff())
        return 0;
    // Empty texts, not deletions: the keys stay with nothing after "=".
    if (!WritePrivateProfileStringA("windows", "ScreenSaverActive", "", "win.ini"))
        return 0;
    if (!WritePrivateProfileStringA("BOOT", "SCRNSAVE.EXE", "", "system.ini"))
        return 0;
    if (!SwitchScreenSaverOff())
        return 0;
    DWORD_PTR answer;
    SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return 1;
}

int DeleteIniEntry(const char* argument)
{
    char file[LogLineCapacity];
    char section[LogLineCapacity];
    char key[LogLineCapacity];
    // A record without all three names could delete a whole section (no
    // key) or act on a file nobody named; it counts as a failed undo.
    if (!LogParseIniFields(argument, file, section, key, LogLineCapacity))
        return 0;
    if (file[0] == '\0' || section[0] == '\0' || key[0] == '\0')
        return 0;
    return WritePrivateProfileStringA(section, key, NULL, file) != 0;
}
