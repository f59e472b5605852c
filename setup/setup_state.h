// The one global record of a setup run, and the abort codes.
//
// The record is made of one sub-record per stage. A stage's fields, handles
// and scratch buffers live in its own sub-record, and the stage's close
// function (CloseLog, CloseStaging, CloseExpansion, CloseExtraction) is the
// only code that closes its handles. Nothing is allocated per run and nothing
// is freed at the end: the process simply ends.
#ifndef KOVRA_SETUP_STATE_H
#define KOVRA_SETUP_STATE_H

#include <windows.h>

#include "undo/log_replay.h"

struct ResFileReader;
struct Stream;

enum PageNumber {
    PageWelcome = 1,
    PageTarget = 2,
    PageConfirm = 3,
    PageProgress = 4,
    PageFinished = 5
};

// Only zero or non-zero is acted on; the number says which stage gave up.
enum AbortCode {
    AbortNone = 0,
    AbortComInit = 1,
    AbortNoPayload = 2,
    AbortEmptyPayload = 3,
    AbortNoProgramFilesKey = 4,
    AbortTargetLevel = 5,
    AbortLogCreate = 6,
    AbortStageFind = 7,
    AbortStageLoad = 8,
    AbortStageEmpty = 9,
    AbortStageCreate = 10,
    AbortExpandOpen = 11,
    AbortArchiveCreate = 12,
    AbortExpandRead = 13,
    AbortArchiveOpen = 14,
    AbortFileFolders = 15,
    AbortFileCreate = 16,
    AbortUser = 17,
    AbortWindowsDir = 18,
    AbortSystemDll = 19,    // LZ32 or COMCTL32 missing from the system folder
    AbortLogWrite = 20      // a record, the closing PN line or the close of the log failed
};

// Exit codes of the unattended install (/S). A stage that gave up ends it
// with its abort code (1 to 20); these are the other outcomes. The wizard
// keeps its own codes, 0 and 1.
enum SilentExit {
    SilentInstalled = 0,
    SilentFolderRefused = 21,    // no folder on a fixed or removable disk, or a name the target page refuses
    SilentFolderInstalled = 22,  // the folder holds deinst.log
    SilentNoSpace = 23,
    SilentBusy = 24,             // another setup or uninstaller runs
    SilentBadCommandLine = 25,
    SilentHelpShown = 26
};

enum {
    TextCapacity = 300,      // targetPath, windowsDir
    PathCapacity = 500,      // paths built from targetPath
    CopyBufferSize = 10000
};

// The install log, open from step 1 to the end of the page loop.
struct LogState {
    char logPath[PathCapacity];
    Stream* logFile;
    int logOpened;           // the rollback has work to do
    HGLOBAL copyMemory;      // the lines this run wrote, LF line ends
    char* copy;
    size_t copySize;
    size_t copyCapacity;
};

// Step 1 and steps 2..19: the target's levels, then the resource copied
// into temp.un_.
struct StagingState {
    char walkPath[PathCapacity];
    int createdLevels[MaxCreatedLevels];  // outermost first; 1 = made by this run
    int levelCount;
    HRSRC resourceInfo;
    HGLOBAL resourceHandle;
    const unsigned char* resourceCursor;
    DWORD stagedSize;
    DWORD stagedRemaining;
    char stagedPath[PathCapacity];   // temp.un_
    Stream* stagedFile;
    int stagedPresent;               // on disk and this run's
};

// Steps 20..60: temp.un_ through LZ32 into temp.uni.
struct ExpansionState {
    INT lzHandle;                    // 0 when none is open
    DWORD expandedSize;
    DWORD expandRemaining;
    char archivePath[PathCapacity];  // temp.uni
    Stream* archiveOut;
    int archivePresent;              // on disk and this run's
};

// Steps 61..95: temp.uni written out as the game's files.
struct ExtractionState {
    ResFileReader* archiveReader;
    int entryIndex;
    DWORD dataTotal;
    DWORD dataRemaining;
    char entryName[PathCapacity];    // empty between two entries
    DWORD entrySize;
    DWORD entryRemaining;
    char entryPath[PathCapacity];
    Stream* entryFile;
    unsigned int keptCount;          // kept names handed out, the next one's number
};

// The target page's copy of the edited text, read afresh on every change.
struct TargetPageState {
    char scratch[PathCapacity];
};

struct SetupState {
    HINSTANCE instance;
    int silent;              // /S: no window, no box, steps unpaced
    HANDLE report;           // /LOG= file, or NULL
    int page;
    int abortCode;
    unsigned char platform;  // 0 = Win32s or older than 4.0, 1 = 95/98, 2 = NT
    DWORD payloadSize;
    char windowsDir[TextCapacity];
    char targetPath[TextCapacity];  // always ends in a backslash once set

    int step;
    int stepBusy;
    unsigned char copyBuffer[CopyBufferSize];  // expansion and extraction

    TargetPageState targetPage;
    LogState log;
    StagingState staging;
    ExpansionState expansion;
    ExtractionState extraction;
    LogReplay rollback;      // the log taken back after an abandoned run
};

extern SetupState gSetup;

#endif
