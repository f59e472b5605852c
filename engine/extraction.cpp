// Steps 61 to 95: temp.uni read as a ResFile archive and its entries written
// out as the game's files in thirty-four slices of the data bytes. A file is
// logged (NC) as soon as it exists, a folder made for it (SD) just before.
#include <windows.h>
#include <string.h>

#include "engine/entry_name.h"
#include "engine/resfile.h"
#include "engine/stages.h"
#include "integration/install_log.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/stream.h"

enum { ArchiveDirectoryStart = ResFileHeaderSize + 4 };

int OpenExtraction()
{
    gSetup.archiveReader = ResFileOpen(gSetup.archivePath);
    if (!gSetup.archiveReader) {
        gSetup.abortCode = AbortArchiveOpen;
        return 0;
    }
    // The data total comes from the expanded size; a directory that claims
    // more than that is no archive of ours.
    unsigned long long directoryEnd =
        ArchiveDirectoryStart + (unsigned long long)ResFileCount(gSetup.archiveReader) * ResFileEntrySize;
    if (directoryEnd > gSetup.expandedSize) {
        ResFileClose();
        gSetup.archiveReader = NULL;
        gSetup.abortCode = AbortArchiveOpen;
        return 0;
    }
    gSetup.entryIndex = 0;
    gSetup.dataTotal = gSetup.expandedSize - (DWORD)directoryEnd;
    gSetup.dataRemaining = gSetup.dataTotal;
    gSetup.entryName[0] = '\0';
    return 1;
}

static int FailExtraction(int code)
{
    if (gSetup.entryFile) {
        StreamClose(gSetup.entryFile);
        gSetup.entryFile = NULL;
    }
    ResFileClose();
    gSetup.archiveReader = NULL;
    gSetup.abortCode = code;
    return 0;
}

// Creates the file of directory entry entryIndex and logs it. Returns 0 with
// the abort code set when it cannot.
static int OpenEntry(Stream* archive)
{
    if (!CopyText(gSetup.entryName, sizeof gSetup.entryName,
                  ResFileEntryName(gSetup.archiveReader, (unsigned int)gSetup.entryIndex)) ||
        !EntryNameInsideTarget(gSetup.entryName) || EntryNameReserved(gSetup.entryName))
        return FailExtraction(AbortFileCreate);

    DWORD offset = ResFileFindOffset(gSetup.archiveReader, gSetup.entryName);
    if (!StreamSeek(archive, offset))
        return FailExtraction(AbortFileCreate);
    gSetup.entrySize = ResFileFindSize(gSetup.archiveReader, gSetup.entryName);
    gSetup.entryRemaining = gSetup.entrySize;

    if (!CopyText(gSetup.entryPath, sizeof gSetup.entryPath, gSetup.targetPath) ||
        !AppendText(gSetup.entryPath, sizeof gSetup.entryPath, gSetup.entryName))
        return FailExtraction(AbortFileCreate);
    gSetup.entryFile = StreamOpen(gSetup.entryPath, StreamWriteBinary);
    if (!gSetup.entryFile) {
        if (!CreateFileFolders(gSetup.entryPath))
            return FailExtraction(AbortFileFolders);
        gSetup.entryFile = StreamOpen(gSetup.entryPath, StreamWriteBinary);
        if (!gSetup.entryFile)
            return FailExtraction(AbortFileCreate);
    }
    LogRecord("NC", gSetup.entryName);
    LogFlush();
    return 1;
}

// Closes the finished entry's file and moves on to the next entry.
static int CloseEntry()
{
    // The close writes what the stream still buffers.
    if (!StreamFlush(gSetup.entryFile))
        return FailExtraction(AbortFileCreate);
    StreamClose(gSetup.entryFile);
    gSetup.entryFile = NULL;
    gSetup.entryName[0] = '\0';
    ++gSetup.entryIndex;
    return 1;
}

int ExtractSlice(int step)
{
    if (!gSetup.archiveReader)
        return 0;
    Stream* archive = ResFileStream(gSetup.archiveReader);
    unsigned int count = ResFileCount(gSetup.archiveReader);
    int last = step >= ExtractLastStep;
    DWORD left = SliceSize(step, ExtractLastStep, ExtractSlices, gSetup.dataTotal, gSetup.dataRemaining);

    for (;;) {
        if (gSetup.entryName[0] == '\0') {
            // Past the last entry there is nothing to open. Data left over
            // for no entry means the sizes do not add up to the data total.
            if ((unsigned int)gSetup.entryIndex >= count) {
                if (left > 0)
                    return FailExtraction(AbortFileCreate);
                break;
            }
            if (!OpenEntry(archive))
                return 0;
        }
        do {
            DWORD chunk = CopyBufferSize;
            if (gSetup.entryRemaining < chunk)
                chunk = gSetup.entryRemaining;
            if (left < chunk)
                chunk = left;
            if (StreamRead(archive, gSetup.copyBuffer, chunk) != chunk ||
                !StreamWrite(gSetup.entryFile, gSetup.copyBuffer, chunk))
                return FailExtraction(AbortFileCreate);
            gSetup.entryRemaining -= chunk;
            left -= chunk;
            gSetup.dataRemaining -= chunk;
        } while (left > 0 && gSetup.entryRemaining > 0);

        if (gSetup.entryRemaining == 0 && !CloseEntry())
            return 0;
        if (left == 0)
            break;
    }

    if (!last)
        return 1;
    // Empty entries after the last data byte are files of the game too.
    while (gSetup.entryName[0] == '\0' && (unsigned int)gSetup.entryIndex < count) {
        if (!OpenEntry(archive))
            return 0;
        if (gSetup.entryRemaining > 0)
            break;
        if (!CloseEntry())
            return 0;
    }
    // Sizes that add up to more than the data total leave a file short.
    if (gSetup.entryName[0] != '\0')
        return FailExtraction(AbortFileCreate);
    ResFileClose();
    gSetup.archiveReader = NULL;
    if (!DeleteFileA(gSetup.archivePath))
        return 0;
    gSetup.archivePresent = 0;
    return 1;
}

static const char FolderErrorText[] = "Der gew\xE4hlte Pfad konnte nicht angelegt werden.";

int CreateFileFolders(const char* path)
{
    char prefix[PathCapacity];
    char deepest[PathCapacity];
    deepest[0] = '\0';
    int failed = 0;
    if (!CopyText(prefix, sizeof prefix, path))
        failed = 1;

    // The levels wanted: one per backslash from the fourth character on, so
    // the file's own name is not a level.
    int wanted = 0;
    size_t length = strlen(path);
    for (size_t i = 3; i < length; ++i)
        if (path[i] == '\\')
            ++wanted;

    int walked = 0;
    for (int i = 0; !failed && path[i] != '\0'; ++i) {
        prefix[i] = path[i];
        if (i < 3 || (path[i + 1] != '\\' && path[i + 1] != '\0'))
            continue;
        prefix[i + 1] = '\0';
        if (!SetCurrentDirectoryA(prefix)) {
            if (CreateDirectoryA(prefix, NULL)) {
                CopyText(deepest, sizeof deepest, prefix);
            } else {
                MessageBoxA(NULL, FolderErrorText, "Fehler", MB_OK);
                failed = 1;
                break;
            }
        }
        if (++walked == wanted)
            break;
    }
    if (deepest[0] != '\0')
        LogRecord("SD", deepest);
    return !failed;
}
