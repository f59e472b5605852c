// The rollback of an abandoned installation: the temporary payload files,
// then the install log replayed from its last line back, then the log itself
// and the folder levels of the target path that this run created.
//
// The log is read back as untrusted text: a record that would reach outside
// the folder it belongs to, or that does not name what its undo needs, is
// passed over or stops the rollback; it never makes the rollback act on
// something else.
#include <windows.h>
#include <string.h>

#include "engine/entry_name.h"
#include "engine/resfile.h"
#include "integration/install_log.h"
#include "integration/integration.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "support/bounded.h"
#include "support/stream.h"

namespace {

char gLine[LogLineCapacity];
char gArgument[LogLineCapacity];

// Levels of the target path that the flags of the ID record describe,
// counted from the shallowest; the walk starts at the deepest of them.
int gRecordLevels;

// Deletes folder + separator + name when name stays inside folder (the
// test that archive names pass) and the joined path fits; a cut path could
// name another file.
void DeleteContainedFile(const char* folder, const char* separator, const char* name)
{
    if (!EntryNameInsideTarget(name))
        return;
    char path[PathCapacity];
    if (CopyText(path, sizeof path, folder) && AppendText(path, sizeof path, separator)
        && AppendText(path, sizeof path, name))
        DeleteFileA(path);
}

// Length of the first `levels` folder levels of path: a level ends at every
// position of 3 or more followed by a backslash, as the staging walk counts
// them. Returns -1 when path has fewer levels.
int LevelPrefixLength(const char* path, int levels)
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
int TakeLevels(const char* argument)
{
    int flags[LogMaxLevels];
    int listed = 0;
    if (!LogParseLevels(argument, &listed, flags, LogMaxLevels))
        return 0;
    int kept = listed < MaxCreatedLevels ? listed : MaxCreatedLevels;
    for (int i = 0; i < kept; ++i)
        gSetup.createdLevels[i] = flags[listed - kept + i];
    gSetup.levelCount = kept;
    gRecordLevels = listed;
    return 1;
}

// Removes the created levels, deepest first, each only if empty.
void RemoveCreatedLevels()
{
    char root[4] = { gSetup.targetPath[0], ':', '\\', '\0' };
    SetCurrentDirectoryA(root);

    // A record that lists more levels than the target path has does not
    // describe this path: no folder is touched.
    int length = LevelPrefixLength(gSetup.targetPath, gRecordLevels);
    if (length <= 0)
        return;
    char work[TextCapacity];
    CopyText(work, sizeof work, gSetup.targetPath);
    work[length] = '\0';

    for (int k = 0; k < gSetup.levelCount; ++k) {
        if (gSetup.createdLevels[gSetup.levelCount - 1 - k] == 0)
            continue;
        RemoveDirectoryA(work);
        size_t end = strlen(work);
        while (end > 0 && work[end - 1] != '\\')
            --end;
        if (end > 0)
            --end;
        work[end] = '\0';
        if (end < 3)
            return;
    }
}

// Undoes one record; 0 stops the rollback.
int UndoRecord(const char* code, const char* argument)
{
    if (strcmp(code, "RK") == 0)
        RemoveUninstallEntry(argument);
    else if (strcmp(code, "NC") == 0)
        DeleteContainedFile(gSetup.targetPath, "", argument);
    else if (strcmp(code, "WC") == 0)
        DeleteContainedFile(gSetup.windowsDir, "\\", argument);
    else if (strcmp(code, "PG") == 0)
        DeleteProgramGroup(argument);
    else if (strcmp(code, "SD") == 0 || strcmp(code, "CI") == 0)
        RemoveDirectoryA(argument);
    else if (strcmp(code, "CL") == 0)
        DeleteFileA(argument);
    else if (strcmp(code, "IS") == 0)
        ResetScreenSaver();
    else if (strcmp(code, "IN") == 0)
        return DeleteIniEntry(argument);
    else if (strcmp(code, "ID") == 0)
        return TakeLevels(argument);
    return 1;
}

int SwitchScreenSaverOff()
{
    return SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, FALSE, NULL,
                                 SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE) != 0;
}

// A stage that stopped short can leave its streams open (the staged file
// after a failed walk, the expansion or the archive when a later tick set the
// abort). An open file cannot be deleted, so they are closed first.
void CloseStageStreams()
{
    if (gSetup.stagedFile) {
        StreamClose(gSetup.stagedFile);
        gSetup.stagedFile = NULL;
    }
    if (gSetup.lzHandle > 0) {
        LzClose(gSetup.lzHandle);
        gSetup.lzHandle = 0;
    }
    if (gSetup.archiveOut) {
        StreamClose(gSetup.archiveOut);
        gSetup.archiveOut = NULL;
    }
    if (gSetup.entryFile) {
        StreamClose(gSetup.entryFile);
        gSetup.entryFile = NULL;
    }
    if (gSetup.archiveReader) {
        ResFileClose();
        gSetup.archiveReader = NULL;
    }
}

}  // namespace

int FetchLogLine(int n)
{
    if (!gSetup.logFile || !StreamSeek(gSetup.logFile, 0))
        return 0;
    int count = 0;
    while (LogReadLine(gSetup.logFile, gLine)) {
        if (++count == n) {
            if (gSetup.linesLeft != 0)
                --gSetup.linesLeft;
            return 1;
        }
    }
    return 0;
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

int RunRollback()
{
    CloseStageStreams();
    if (gSetup.stagedPresent) {
        DeleteFileA(gSetup.stagedPath);
        gSetup.stagedPresent = 0;
    }
    if (gSetup.archivePresent) {
        DeleteFileA(gSetup.archivePath);
        gSetup.archivePresent = 0;
    }
    if (!gSetup.logOpened)
        return 1;

    if (gSetup.logFile) {
        StreamClose(gSetup.logFile);
        gSetup.logFile = NULL;
    }
    gSetup.logFile = StreamOpen(gSetup.logPath, StreamReadText);
    if (!gSetup.logFile)
        return 0;

    gSetup.levelCount = 0;
    gRecordLevels = 0;
    int lines = 0;
    while (LogReadLine(gSetup.logFile, gLine))
        ++lines;
    gSetup.linesLeft = lines;

    do {
        if (!FetchLogLine(gSetup.linesLeft))
            return 0;
        char code[3];
        LogSplitLine(gLine, code, gArgument, sizeof gArgument);
        if (!UndoRecord(code, gArgument))
            return 0;
    } while (gSetup.linesLeft != 0);

    StreamClose(gSetup.logFile);
    gSetup.logFile = NULL;
    DeleteFileA(gSetup.logPath);

    RemoveCreatedLevels();
    return 1;
}
