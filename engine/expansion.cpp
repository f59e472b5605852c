// Steps 20 to 60: temp.un_ expanded through the platform's LZ32 into
// temp.uni, forty slices moved through copyBuffer 10,000 bytes at a time.
#include <windows.h>

#include "engine/stages.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "support/bounded.h"
#include "support/stream.h"

static int FailExpansion(int code)
{
    LzClose(gSetup.lzHandle);
    gSetup.lzHandle = 0;
    StreamClose(gSetup.archiveOut);
    gSetup.archiveOut = NULL;
    gSetup.abortCode = code;
    return 0;
}

int OpenExpansion()
{
    if (!CopyText(gSetup.archivePath, sizeof gSetup.archivePath, gSetup.targetPath) ||
        !AppendText(gSetup.archivePath, sizeof gSetup.archivePath, "temp.uni")) {
        gSetup.abortCode = AbortArchiveCreate;
        return 0;
    }

    // Every LZERROR_* value is negative; none of them is a handle to read.
    OFSTRUCT scratch;
    gSetup.lzHandle = LzOpenFile(gSetup.stagedPath, &scratch, OF_READ);
    if (gSetup.lzHandle < 0) {
        gSetup.lzHandle = 0;
        gSetup.abortCode = AbortExpandOpen;
        return 0;
    }

    gSetup.archiveOut = StreamOpen(gSetup.archivePath, StreamWriteBinary);
    if (!gSetup.archiveOut) {
        LzClose(gSetup.lzHandle);
        gSetup.lzHandle = 0;
        gSetup.abortCode = AbortArchiveCreate;
        return 0;
    }
    gSetup.archivePresent = 1;

    LONG size = LzSeek(gSetup.lzHandle, 0, 2);
    if (size < 0 || LzSeek(gSetup.lzHandle, 0, 0) != 0)
        return FailExpansion(AbortExpandRead);
    gSetup.expandedSize = (DWORD)size;
    gSetup.expandRemaining = (DWORD)size;
    return 1;
}

int ExpandSlice(int step)
{
    if (!gSetup.archiveOut)
        return 0;
    int last = step >= ExpandLastStep;
    DWORD slice = SliceSize(step, ExpandLastStep, ExpandSlices, gSetup.expandedSize, gSetup.expandRemaining);

    DWORD left = slice;
    do {
        DWORD chunk = left < (DWORD)CopyBufferSize ? left : (DWORD)CopyBufferSize;
        INT got = LzRead(gSetup.lzHandle, (LPSTR)gSetup.copyBuffer, (INT)chunk);
        if (got != (INT)chunk)
            return FailExpansion(AbortExpandRead);
        if (!StreamWrite(gSetup.archiveOut, gSetup.copyBuffer, chunk))
            return FailExpansion(AbortArchiveCreate);
        left -= chunk;
    } while (left > 0);
    gSetup.expandRemaining -= slice;

    if (!last)
        return 1;
    if (!StreamFlush(gSetup.archiveOut))
        return FailExpansion(AbortArchiveCreate);
    LzClose(gSetup.lzHandle);
    gSetup.lzHandle = 0;
    StreamClose(gSetup.archiveOut);
    gSetup.archiveOut = NULL;
    if (!DeleteFileA(gSetup.stagedPath))
        return 0;
    gSetup.stagedPresent = 0;
    return 1;
}
