// Steps 20 to 60: temp.un_ expanded through the platform's LZ32 into
// temp.uni, forty slices moved through copyBuffer 10,000 bytes at a time.
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>

#include "engine/stages.h"
#include "setup/setup_state.h"
#include "support/bounded.h"

static int FailExpansion(int code)
{
    LZClose(gSetup.lzHandle);
    gSetup.lzHandle = 0;
    fclose(gSetup.archiveOut);
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
    gSetup.lzHandle = LZOpenFileA(gSetup.stagedPath, &scratch, OF_READ);
    if (gSetup.lzHandle < 0) {
        gSetup.lzHandle = 0;
        gSetup.abortCode = AbortExpandOpen;
        return 0;
    }

    gSetup.archiveOut = fopen(gSetup.archivePath, "wb");
    if (!gSetup.archiveOut) {
        LZClose(gSetup.lzHandle);
        gSetup.lzHandle = 0;
        gSetup.abortCode = AbortArchiveCreate;
        return 0;
    }
    gSetup.archivePresent = 1;

    LONG size = LZSeek(gSetup.lzHandle, 0, 2);
    if (size < 0 || LZSeek(gSetup.lzHandle, 0, 0) != 0)
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
        INT got = LZRead(gSetup.lzHandle, (LPSTR)gSetup.copyBuffer, (INT)chunk);
        if (got != (INT)chunk)
            return FailExpansion(AbortExpandRead);
        if (fwrite(gSetup.copyBuffer, 1, chunk, gSetup.archiveOut) != chunk)
            return FailExpansion(AbortArchiveCreate);
        left -= chunk;
    } while (left > 0);
    gSetup.expandRemaining -= slice;

    if (!last)
        return 1;
    if (fflush(gSetup.archiveOut) != 0)
        return FailExpansion(AbortArchiveCreate);
    LZClose(gSetup.lzHandle);
    gSetup.lzHandle = 0;
    fclose(gSetup.archiveOut);
    gSetup.archiveOut = NULL;
    if (!DeleteFileA(gSetup.stagedPath))
        return 0;
    gSetup.stagedPresent = 0;
    return 1;
}
