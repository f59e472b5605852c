// The undo of install log records.
//
// The log is read back as untrusted text: whoever can write to the target
// folder can change it. A log with anything the setup never writes is
// damaged and nothing of it is undone (LogIsSound); a record that names
// something setup does not make, or whose path runs through a link, is
// passed over. No record makes the replay act on something else.
#include "undo/log_replay.h"

#include <windows.h>
#include <string.h>

#include "integration/integration.h"
#include "support/bounded.h"
#include "support/product_names.h"
#include "support/plain_path.h"
#include "undo/record_check.h"

enum { ReplayPathCapacity = 500 };

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

int CreatedLevelPath(const LogReplay* replay, int k, char* path, size_t capacity)
{
    int length = LevelPrefixLength(replay->targetPath, replay->recordLevels - replay->levelCount + k + 1);
    if (length <= 0 || (size_t)length >= capacity)
        return 0;
    memcpy(path, replay->targetPath, (size_t)length);
    path[length] = '\0';
    return 1;
}

// Takes the ID record back. The flags stand for the levels of the target
// path from the shallowest on; the table keeps the deepest of them, which
// are the ones the walk meets first. A created level that is now a link
// takes everything below it out of the undo.
static void TakeLevels(LogReplay* replay, const char* argument)
{
    int flags[LogMaxLevels];
    int listed = 0;
    replay->levelCount = 0;
    replay->recordLevels = 0;
    replay->linkedLevel = -1;
    if (LogParseLevels(argument, &listed, flags, LogMaxLevels))
        ReplaySetLevels(replay, flags, listed);
}

void ReplaySetLevels(LogReplay* replay, const int* flags, int listed)
{
    replay->linkedLevel = -1;
    int kept = listed < MaxCreatedLevels ? listed : MaxCreatedLevels;
    for (int i = 0; i < kept; ++i)
        replay->createdLevels[i] = flags[listed - kept + i];
    replay->levelCount = kept;
    replay->recordLevels = listed;

    char level[ReplayPathCapacity];
    for (int k = 0; k < kept && replay->linkedLevel < 0; ++k)
        if (replay->createdLevels[k] && CreatedLevelPath(replay, k, level, sizeof level) && IsLink(level))
            replay->linkedLevel = k;
    // The target folder itself, created or not, leads the file records.
    CopyText(level, sizeof level, replay->targetPath);
    size_t length = strlen(level);
    if (length > 0)
        level[length - 1] = '\0';
    if (replay->linkedLevel < 0 && length > 3 && IsLink(level))
        replay->linkedLevel = kept;
}

int RemoveCreatedLevels(const LogReplay* replay)
{
    const char* target = replay->targetPath;
    char root[4] = { target[0], ':', '\\', '\0' };
    SetCurrentDirectoryA(root);

    int gone = 1;
    char level[ReplayPathCapacity];
    for (int k = replay->levelCount - 1; k >= 0; --k) {
        // A record that lists more levels than the target path has does not
        // describe this path: no folder is touched.
        if (!CreatedLevelPath(replay, k, level, sizeof level))
            return 1;
        if (!replay->createdLevels[k])
            return gone;
        // Below a level that is now a link lies someone else's folder.
        if (replay->linkedLevel >= 0 && k > replay->linkedLevel)
            continue;
        if (!RemoveOwnFolder(level))
            gone = 0;
    }
    return gone;
}

// Whether the record acts only on what setup makes (RecordInScope), and an
// RK record's key still names this target's uninstaller. programs gets the
// Programs folder for CI and CL records.
static int RecordOwned(const LogReplay* replay, int code, const char* codeText, const char* argument,
                       char* programs, size_t capacity)
{
    programs[0] = '\0';
    // Whoever removes the game, the shortcuts are where the installing
    // user's Programs folder was.
    if ((code == LogCodeCI || code == LogCodeCL) && !ProgramsFolderHolding(argument, programs, capacity))
        programs[0] = '\0';
    RecordScope scope = { replay->targetPath, programs };
    if (!RecordInScope(&scope, codeText, argument))
        return 0;
    return code != LogCodeRK || UninstallEntryNames(argument, replay->targetPath, UNINSTALL_PROGRAM);
}

enum RecordUndo {
    RecordLeft = 0,     // what it names is still there
    RecordDone = 1,     // undone, or passed over
    RecordForCaller = 2 // stays in the log; the caller undoes it afterwards
};

// Gives a kept file its name back. The game's file was undone before (its
// NC line comes later in the log); while it is still there the kept file
// waits, recorded.
static int RestoreKept(LogReplay* replay, const char* base, const char* argument)
{
    const char* name = KeptRecordName(argument);
    char kept[ReplayPathCapacity];
    char path[ReplayPathCapacity];
    char relative[ReplayPathCapacity];
    if (replay->linkedLevel >= 0 || !PathPlainBelow(base, name) ||
        !KeptRecordPath(argument, relative, sizeof relative) || !CopyText(kept, sizeof kept, replay->targetPath) ||
        !AppendText(kept, sizeof kept, relative) || !CopyText(path, sizeof path, replay->targetPath) ||
        !AppendText(path, sizeof path, name))
        return RecordDone;
    // A link in the kept file's place is someone else's: a rename may move
    // what it points to (Wine's does).
    DWORD attributes = GetFileAttributesA(kept);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) || IsLink(kept))
        return RecordDone;
    if (replay->ownProgram && lstrcmpiA(name, replay->ownProgram) == 0) {
        memcpy(replay->ownKept, argument, KEPT_NAME_LENGTH);
        replay->ownKept[KEPT_NAME_LENGTH] = '\0';
        return RecordForCaller;
    }
    return MoveFileA(kept, path) ? RecordDone : RecordLeft;
}

// Undoes one record (RecordUndo). A folder only counts as left when
// something left before it (its files) keeps it, since a folder that holds
// the user's own files stays by design.
static int UndoRecord(LogReplay* replay, const char* line, int leftBefore)
{
    char codeText[3];
    char argument[LogLineCapacity];
    LogSplitLine(line, codeText, argument, sizeof argument);
    int code = LogCodeOf(codeText);
    char programs[ProgramsCapacity];
    if (!RecordOwned(replay, code, codeText, argument, programs, sizeof programs))
        return 1;

    // The record check has made sure that SD, CI and CL arguments start
    // with their folder.
    char base[ReplayPathCapacity];
    CopyText(base, sizeof base, replay->targetPath);
    base[strlen(base) - 1] = '\0';
    switch (code) {
    case LogCodeKF:
        return RestoreKept(replay, base, argument);
    case LogCodeRK:
        // An entry that cannot go stays recorded, and so the way back.
        return RemoveUninstallEntry(argument);
    case LogCodePG:
        // A second install makes the group anew, for its own folder.
        if (ProgramGroupPointsInto(argument, replay->targetPath))
            DeleteProgramGroup(argument);
        return 1;
    case LogCodeNC:
    case LogCodeSD: {
        if (replay->linkedLevel >= 0 ||
            !PathPlainBelow(base, code == LogCodeSD ? argument + strlen(base) + 1 : argument))
            return 1;
        if (code == LogCodeSD)
            return RemoveOwnFolder(argument) || !leftBefore;
        if (replay->ownProgram && lstrcmpiA(argument, replay->ownProgram) == 0)
            return 1;
        char path[ReplayPathCapacity];
        // A cut path could name another file.
        if (!CopyText(path, sizeof path, replay->targetPath) || !AppendText(path, sizeof path, argument))
            return 1;
        return DeleteOwnFile(path);
    }
    case LogCodeCI:
        return RemoveOwnFolder(argument) || !leftBefore;
    case LogCodeCL:
        // A second install into another folder saves its shortcuts over
        // ours: they are its own now, and so is the folder that holds them.
        return !PathPlainBelow(programs, argument + strlen(programs) + 1) ||
               !ShortcutPointsInto(argument, replay->targetPath) || DeleteOwnFile(argument);
    }
    return 1;
}

static int LineCode(const char* line)
{
    char code[3] = { line[0], line[1], '\0' };
    return LogCodeOf(code);
}

// The groups of the uninstaller's order; the rollback's one group is all.
static int InGroup(int code, int group, ReplayOrder order)
{
    if (order == ReplayBackward)
        return 1;
    switch (code) {
    case LogCodeNC:
    case LogCodeSD:
    case LogCodeKF:
        return group == 0;
    case LogCodeCI:
    case LogCodeCL:
    case LogCodePG:
        return group == 1;
    case LogCodeRK:
        return group == 2;
    }
    return 0;
}

int UndoLog(LogReplay* replay, char* text, size_t* size, ReplayOrder order)
{
    if (!LogIsSound(text, *size))
        return ReplayDamaged;
    PlainPathForget();
    replay->ownKept[0] = '\0';

    // One mark per line: 1 while it is still to undo. The lines are walked
    // back through LogPreviousLine, which needs no table of their starts.
    size_t lines = 0;
    for (size_t i = 0; i < *size; ++i)
        lines += text[i] == '\n';
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, lines);
    if (!memory)
        return ReplayDamaged;
    unsigned char* left = (unsigned char*)memory;

    // The ID line comes first in the log, but the levels must be known
    // before any file is undone. A sound log's lines fit the buffer.
    char line[LogLineCapacity];
    char argument[LogLineCapacity];
    char code[3];
    size_t length = (size_t)((const char*)memchr(text, '\n', *size) - text) + 1;
    memcpy(line, text, length);
    line[length] = '\0';
    LogSplitLine(line, code, argument, sizeof argument);
    TakeLevels(replay, argument);

    int anyLeft = 0;
    int groups = order == ReplayBackward ? 1 : 3;
    for (int group = 0; group < groups; ++group) {
        int waiting = anyLeft;
        size_t end = *size;
        size_t index = lines;
        while (LogPreviousLine(text, &end, line, sizeof line)) {
            --index;
            if (!InGroup(LineCode(line), group, order))
                continue;
            // Once something is left, the later groups wait for a later run.
            if (waiting) {
                left[index] = 1;
                continue;
            }
            int undone = UndoRecord(replay, line, anyLeft);
            if (undone != RecordDone) {
                left[index] = 1;
                anyLeft |= undone == RecordLeft;
            }
        }
    }

    // The log of what is left: the ID line, the records left, the PN line.
    size_t kept = 0;
    if (anyLeft) {
        size_t start = 0;
        for (size_t index = 0; index < lines; ++index) {
            length = (size_t)((const char*)memchr(text + start, '\n', *size - start) - (text + start)) + 1;
            int value = LineCode(text + start);
            if (left[index] || value == LogCodeID || value == LogCodePN) {
                memmove(text + kept, text + start, length);
                kept += length;
            }
            start += length;
        }
        text[kept] = '\0';
        *size = kept;
    }
    GlobalFree(memory);
    return anyLeft ? ReplayLeft : ReplayDone;
}

char* LoadLog(const char* logPath, size_t* size)
{
    // Others may read the log meanwhile, but not change it.
    HANDLE file = CreateFileA(logPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return NULL;
    char* text = NULL;
    DWORD high = 0;
    DWORD length = GetFileSize(file, &high);
    // A log over 256 MB is no log of ours (20,000 files make about 1 MB).
    if (length != INVALID_FILE_SIZE && high == 0 && length < 0x10000000)
        text = (char*)GlobalAlloc(GMEM_FIXED, length + 1);
    DWORD read = 0;
    if (text && (!ReadFile(file, text, length, &read, NULL) || read != length)) {
        GlobalFree(text);
        text = NULL;
    }
    CloseHandle(file);
    if (!text)
        return NULL;
    *size = LogJoinLineEnds(text, length);
    text[*size] = '\0';
    return text;
}

int ReplaceLog(const char* logPath, const char* text, size_t size)
{
    // deinst.log becomes deinst.new while it is written.
    char newPath[ReplayPathCapacity];
    size_t length = strlen(logPath);
    if (!CopyText(newPath, sizeof newPath, logPath) || length < 4)
        return 0;
    CopyText(newPath + length - 3, sizeof newPath - (length - 3), "new");
    // Made new: a leftover of an earlier run goes first; a link stays, and
    // the creation fails rather than write through it.
    DeleteOwnFile(newPath);
    HANDLE file = CreateFileA(newPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    // The lines on disk end in CR LF, as the setup writes them.
    int written = 1;
    char chunk[1024];
    size_t used = 0;
    for (size_t i = 0; i <= size && written; ++i) {
        if (i == size || used + 2 > sizeof chunk) {
            DWORD done = 0;
            written = WriteFile(file, chunk, (DWORD)used, &done, NULL) && done == used;
            used = 0;
            if (i == size)
                break;
        }
        if (text[i] == '\n')
            chunk[used++] = '\r';
        chunk[used++] = text[i];
    }
    written = FlushFileBuffers(file) && written;
    written = CloseHandle(file) && written;
    if (written && MoveFileExA(newPath, logPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    // Windows 9x cannot replace by a move: the old log goes first.
    if (written && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && !IsLink(logPath) && DeleteFileA(logPath) &&
        MoveFileA(newPath, logPath))
        return 1;
    DeleteOwnFile(newPath);
    return 0;
}
