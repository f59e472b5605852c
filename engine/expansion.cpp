// Steps 20 to 60: temp.un_ expanded through the platform's LZ32 into
// temp.uni, forty slices moved through copyBuffer 10,000 bytes at a time.
#include <windows.h>

#include "engine/stages.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "support/bounded.h"
#include "support/product_names.h"
#include "support/stream.h"
#include "support/plain_path.h"

void CloseExpansion()
{
    ExpansionState& expansion = gSetup.expansion;
    if (expansion.lzHandle > 0) {
        gSystemDlls.lzClose(expansion.lzHandle);
        expansion.lzHandle = 0;
    }
    if (expansion.archiveOut) {
        StreamClose(expansion.archiveOut);
        expansion.archiveOut = NULL;
    }
}

int OpenExpansion()
{
    ExpansionState& expansion = gSetup.expansion;
    if (!CopyText(expansion.archivePath, sizeof expansion.archivePath, gSetup.targetPath) ||
        !AppendText(expansion.archivePath, sizeof expansion.archivePath, ARCHIVE_FILE_NAME))
        return FailStage(CloseExpansion, AbortArchiveCreate);

    // Every LZERROR_* value is negative; none of them is a handle to read.
    OFSTRUCT scratch;
    expansion.lzHandle = gSystemDlls.lzOpenFile(gSetup.staging.stagedPath, &scratch, OF_READ);
    if (expansion.lzHandle < 0) {
        expansion.lzHandle = 0;
        return FailStage(CloseExpansion, AbortExpandOpen);
    }

    // Made new, as temp.un_ is.
    DeleteOwnFile(expansion.archivePath);
    expansion.archiveOut = StreamOpen(expansion.archivePath, StreamWriteNew);
    if (!expansion.archiveOut)
        return FailStage(CloseExpansion, AbortArchiveCreate);
    expansion.archivePresent = 1;

    LONG size = gSystemDlls.lzSeek(expansion.lzHandle, 0, 2);
    if (size < 0 || gSystemDlls.lzSeek(expansion.lzHandle, 0, 0) != 0)
        return FailStage(CloseExpansion, AbortExpandRead);
    expansion.expandedSize = (DWORD)size;
    expansion.expandRemaining = (DWORD)size;
    return 1;
}

int ExpandSlice(int step)
{
    ExpansionState& expansion = gSetup.expansion;
    if (!expansion.archiveOut)
        return 0;
    int last = step >= ExpandLastStep;
    DWORD slice = SliceSize(step, ExpandLastStep, ExpandSlices, expansion.expandedSize,
                            expansion.expandRemaining);

    DWORD left = slice;
    do {
        DWORD chunk = left < (DWORD)CopyBufferSize ? left : (DWORD)CopyBufferSize;
        INT got = gSystemDlls.lzRead(expansion.lzHandle, (LPSTR)gSetup.copyBuffer, (INT)chunk);
        if (got != (INT)chunk)
            return FailStage(CloseExpansion, AbortExpandRead);
        if (!StreamWrite(expansion.archiveOut, gSetup.copyBuffer, chunk))
            return FailStage(CloseExpansion, AbortArchiveCreate);
        left -= chunk;
    } while (left > 0);
    expansion.expandRemaining -= slice;

    if (!last)
        return 1;
    if (!StreamFlush(expansion.archiveOut))
        return FailStage(CloseExpansion, AbortArchiveCreate);
    CloseExpansion();
    if (!DeleteFileA(gSetup.staging.stagedPath))
        return 0;
    gSetup.staging.stagedPresent = 0;
    return 1;
}
