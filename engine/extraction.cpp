// Steps 61 to 95: temp.uni read as a ResFile archive and its entries written
// out as the game's files in thirty-four slices of the data bytes. A file is
// logged (NC) as soon as it exists, a folder made for it (SD) just before,
// a file that was in its place kept aside (KF) before that.
#include <windows.h>
#include <string.h>

#include "engine/entry_name.h"
#include "engine/resfile.h"
#include "engine/stages.h"
#include "integration/install_log.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/product_names.h"
#include "support/stream.h"
#include "support/plain_path.h"

enum {
    ArchiveDirectoryStart = ResFileHeaderSize + 4,
    KeptNameTries = 1000   // kept names tried for one file
};

// The current entry's file: closed at the end of every entry, and as the
// first part of CloseExtraction.
static void CloseEntryFile()
{
    ExtractionState& extraction = gSetup.extraction;
    if (extraction.entryFile) {
        StreamClose(extraction.entryFile);
        extraction.entryFile = NULL;
    }
}

void CloseExtraction()
{
    CloseEntryFile();
    ResFileClose(gSetup.extraction.archiveReader);
    gSetup.extraction.archiveReader = NULL;
}

static int FailExtraction(int code)
{
    return FailStage(CloseExtraction, code);
}

int OpenExtraction()
{
    ExtractionState& extraction = gSetup.extraction;
    extraction.archiveReader = ResFileOpen(gSetup.expansion.archivePath);
    if (!extraction.archiveReader)
        return FailExtraction(AbortArchiveOpen);
    // The data total comes from the expanded size; a directory that claims
    // more than that is no archive of ours.
    DWORD expandedSize = gSetup.expansion.expandedSize;
    unsigned long long directoryEnd =
        ArchiveDirectoryStart + (unsigned long long)ResFileCount(extraction.archiveReader) * ResFileEntrySize;
    if (directoryEnd > expandedSize)
        return FailExtraction(AbortArchiveOpen);
    extraction.entryIndex = 0;
    extraction.dataTotal = expandedSize - (DWORD)directoryEnd;
    extraction.dataRemaining = extraction.dataTotal;
    extraction.entryName[0] = '\0';
    return 1;
}

// A file already in the entry's place is the user's (a saved game, another
// program's uninstaller): it is renamed to a free kept name in its folder
// and logged, and the undo gives it its name back. A rename needs no space
// and keeps its bytes, times and attributes, read-only or not. A link in
// the place is refused: nothing is written through it, and a rename may
// move what it points to (Wine's does). Returns 0 when the file stays in
// the way.
static int KeepAside()
{
    ExtractionState& extraction = gSetup.extraction;
    // A folder in the place is no file to keep; its creation fails later.
    DWORD attributes = GetFileAttributesA(extraction.entryPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 1;
    if (IsLink(extraction.entryPath))
        return 0;
    char keptPath[PathCapacity];
    char argument[PathCapacity + KEPT_NAME_LENGTH + 1];
    size_t folder = 0;
    for (size_t i = 0; extraction.entryPath[i] != '\0'; ++i)
        if (extraction.entryPath[i] == '\\')
            folder = i + 1;
    if (folder + KEPT_NAME_LENGTH >= sizeof keptPath)
        return 0;
    memcpy(keptPath, extraction.entryPath, folder);
    // The move refuses a name that is taken (kept files of an earlier run):
    // the next number is tried. Windows 9x and NT report that differently.
    for (int tries = 0;; ++tries) {
        if (tries == KeptNameTries)
            return 0;
        wsprintfA(keptPath + folder, KEPT_NAME_FORMAT, (unsigned int)(extraction.keptCount++ % 100000));
        if (MoveFileA(extraction.entryPath, keptPath))
            break;
        if (GetFileAttributesA(keptPath) == INVALID_FILE_ATTRIBUTES)
            return 0;
    }
    // A record that did not get into the log would lose the file's name.
    CopyText(argument, sizeof argument, keptPath + folder);
    AppendText(argument, sizeof argument, " ");
    if (!AppendText(argument, sizeof argument, extraction.entryName) || !LogRecord("KF", argument)) {
        MoveFileA(keptPath, extraction.entryPath);
        return 0;
    }
    return 1;
}

// 0 when a level from the drive root down to the entry's folder is a link.
// Asked anew right before each file is made: the folders may be anyone's to
// change. A file in a folder's place is left to CreateFileFolders, whose
// box reports it.
static int EntryPlacePlain()
{
    const char* path = gSetup.extraction.entryPath;
    char drive[3] = { path[0], path[1], '\0' };
    PlainPathForget();
    if (PathPlainBelow(drive, path + 3))
        return 1;
    char level[PathCapacity];
    if (!CopyText(level, sizeof level, path))
        return 0;
    for (size_t i = 3; level[i] != '\0'; ++i) {
        if (level[i] != '\\')
            continue;
        level[i] = '\0';
        DWORD attributes = GetFileAttributesA(level);
        int fileInTheWay =
            attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(level);
        level[i] = '\\';
        if (fileInTheWay)
            return 1;
    }
    return 0;
}

// Creates the file of directory entry entryIndex and logs it. Returns 0 with
// the abort code set when it cannot.
static int OpenEntry(Stream* archive)
{
    ExtractionState& extraction = gSetup.extraction;
    if (!CopyText(extraction.entryName, sizeof extraction.entryName,
                  ResFileEntryName(extraction.archiveReader, (unsigned int)extraction.entryIndex)) ||
        !EntryNameInsideTarget(extraction.entryName) || EntryNameReserved(extraction.entryName))
        return FailExtraction(AbortFileCreate);

    // The entry's own offset and size, taken in directory order: a search by
    // name from entry 0 for every entry costs the square of their number.
    // The builder refuses a name twice, so both find the same entry. The
    // data lie back to back, so the stream mostly stands there already, and
    // a seek would throw its buffer away.
    unsigned int offset, size;
    if (!ResFileEntryData(extraction.archiveReader, (unsigned int)extraction.entryIndex, &offset, &size) ||
        offset > 0x7FFFFFFF)
        return FailExtraction(AbortFileCreate);
    if (StreamTell(archive) != offset && !StreamSeek(archive, offset))
        return FailExtraction(AbortFileCreate);
    extraction.entrySize = size;
    extraction.entryRemaining = size;

    if (!CopyText(extraction.entryPath, sizeof extraction.entryPath, gSetup.targetPath) ||
        !AppendText(extraction.entryPath, sizeof extraction.entryPath, extraction.entryName))
        return FailExtraction(AbortFileCreate);
    // Made only where nothing is: what is in the place is kept aside first,
    // and nothing is written through a link.
    if (!EntryPlacePlain())
        return FailExtraction(AbortFileFolders);
    extraction.entryFile = StreamOpen(extraction.entryPath, StreamWriteNew);
    if (!extraction.entryFile && GetFileAttributesA(extraction.entryPath) != INVALID_FILE_ATTRIBUTES) {
        if (!KeepAside())
            return FailExtraction(AbortFileCreate);
        extraction.entryFile = StreamOpen(extraction.entryPath, StreamWriteNew);
    }
    if (!extraction.entryFile) {
        if (!CreateFileFolders(extraction.entryPath) || !EntryPlacePlain())
            return FailExtraction(AbortFileFolders);
        extraction.entryFile = StreamOpen(extraction.entryPath, StreamWriteNew);
        if (!extraction.entryFile)
            return FailExtraction(AbortFileCreate);
    }
    if (!LogRecord("NC", extraction.entryName))
        return FailExtraction(AbortFileCreate);
    return 1;
}

// Closes the finished entry's file and moves on to the next entry.
static int CloseEntry()
{
    ExtractionState& extraction = gSetup.extraction;
    // The close writes what the stream still buffers.
    if (!StreamFlush(extraction.entryFile))
        return FailExtraction(AbortFileCreate);
    CloseEntryFile();
    extraction.entryName[0] = '\0';
    ++extraction.entryIndex;
    return 1;
}

int ExtractSlice(int step)
{
    ExtractionState& extraction = gSetup.extraction;
    if (!extraction.archiveReader)
        return 0;
    Stream* archive = ResFileStream(extraction.archiveReader);
    unsigned int count = ResFileCount(extraction.archiveReader);
    int last = step >= ExtractLastStep;
    DWORD left = SliceSize(step, ExtractLastStep, ExtractSlices, extraction.dataTotal, extraction.dataRemaining);

    for (;;) {
        if (extraction.entryName[0] == '\0') {
            // Past the last entry there is nothing to open. Data left over
            // for no entry means the sizes do not add up to the data total.
            if ((unsigned int)extraction.entryIndex >= count) {
                if (left > 0)
                    return FailExtraction(AbortFileCreate);
                break;
            }
            if (!OpenEntry(archive))
                return 0;
        }
        do {
            DWORD chunk = CopyBufferSize;
            if (extraction.entryRemaining < chunk)
                chunk = extraction.entryRemaining;
            if (left < chunk)
                chunk = left;
            if (StreamRead(archive, gSetup.copyBuffer, chunk) != chunk ||
                !StreamWrite(extraction.entryFile, gSetup.copyBuffer, chunk))
                return FailExtraction(AbortFileCreate);
            extraction.entryRemaining -= chunk;
            left -= chunk;
            extraction.dataRemaining -= chunk;
        } while (left > 0 && extraction.entryRemaining > 0);

        if (extraction.entryRemaining == 0 && !CloseEntry())
            return 0;
        if (left == 0)
            break;
    }

    if (!last)
        return 1;
    // Empty entries after the last data byte are files of the game too.
    while (extraction.entryName[0] == '\0' && (unsigned int)extraction.entryIndex < count) {
        if (!OpenEntry(archive))
            return 0;
        if (extraction.entryRemaining > 0)
            break;
        if (!CloseEntry())
            return 0;
    }
    // Sizes that add up to more than the data total leave a file short.
    if (extraction.entryName[0] != '\0')
        return FailExtraction(AbortFileCreate);
    CloseExtraction();
    if (!DeleteFileA(gSetup.expansion.archivePath))
        return 0;
    gSetup.expansion.archivePresent = 0;
    return 1;
}

const char FolderErrorText[] = "Der gew\xE4hlte Pfad konnte nicht angelegt werden.";

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
        if (SetCurrentDirectoryA(prefix)) {
            // A level that is a link would take the files elsewhere.
            if (IsLink(prefix)) {
                failed = 1;
                break;
            }
        } else if (CreateDirectoryA(prefix, NULL)) {
            CopyText(deepest, sizeof deepest, prefix);
        } else {
            if (!gSetup.silent)
                MessageBoxA(NULL, FolderErrorText, "Fehler", MB_OK);
            failed = 1;
            break;
        }
        if (++walked == wanted)
            break;
    }
    // A folder made but not recorded could never be removed again.
    if (deepest[0] != '\0' && !LogRecord("SD", deepest))
        failed = 1;
    return !failed;
}
