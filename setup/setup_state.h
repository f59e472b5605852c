// The one global record of a setup run, and the abort codes.
//
// Every stage reads and writes its fields here; nothing is allocated per run
// and nothing is freed at the end, the process simply ends. Each stage owns the
// fields grouped under its name and opens and closes its own handles.
#ifndef KOVRA_SETUP_STATE_H
#define KOVRA_SETUP_STATE_H

#include <windows.h>

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
    AbortSystemDll = 19     // LZ32 or COMCTL32 missing from the system folder
};

enum {
    TextCapacity = 300,      // targetPath, windowsDir
    PathCapacity = 500,      // paths built from targetPath
    MaxCreatedLevels = 120,
    CopyBufferSize = 10000
};

struct SetupState {
    HINSTANCE instance;
    int page;
    int abortCode;
    unsigned char platform;  // 0 = Win32s or older than 4.0, 1 = 95/98, 2 = NT
    DWORD payloadSize;
    char windowsDir[TextCapacity];
    char targetPath[TextCapacity];  // always ends in a backslash once set

    // The install log, open from staging to the end of the page loop.
    char logPath[PathCapacity];
    Stream* logFile;
    int logOpened;
    int createdLevels[MaxCreatedLevels];
    int levelCount;

    char stagedPath[PathCapacity];   // temp.un_
    int stagedPresent;
    char archivePath[PathCapacity];  // temp.uni
    int archivePresent;

    int step;
    int stepBusy;
    unsigned char copyBuffer[CopyBufferSize];

    // Staging: the resource copied into temp.un_.
    HRSRC resourceInfo;
    HGLOBAL resourceHandle;
    const unsigned char* resourceCursor;
    DWORD stagedSize;
    DWORD stagedRemaining;
    Stream* stagedFile;
    char walkPath[PathCapacity];

    // Expansion: temp.un_ through LZ32 into temp.uni.
    INT lzHandle;
    DWORD expandedSize;
    DWORD expandRemaining;
    Stream* archiveOut;

    // Extraction: temp.uni written out as the game's files.
    ResFileReader* archiveReader;
    int entryIndex;
    DWORD dataTotal;
    DWORD dataRemaining;
    char entryName[PathCapacity];
    DWORD entrySize;
    DWORD entryRemaining;
    char entryPath[PathCapacity];
    Stream* entryFile;

    // Rollback: lines still to undo.
    int linesLeft;
};

extern SetupState gSetup;

#endif
