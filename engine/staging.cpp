// Steps 1 to 19: the target folder's levels, the install log, and the payload
// resource copied byte for byte into temp.un_ in eighteen slices.
#include <windows.h>

#include "engine/stages.h"
#include "integration/install_log.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/stream.h"

// Walks the levels of targetPath shallowest first (the drive root is not a
// level), creating each missing one. Returns 0 when a level can neither be
// entered nor created, or when there are more levels than createdLevels can
// record: a level created but not recorded could never be rolled back.
static int WalkTargetLevels()
{
    gSetup.levelCount = 0;
    const char* target = gSetup.targetPath;
    for (int i = 0; target[i] != '\0'; ++i) {
        if (i + 1 >= (int)sizeof gSetup.walkPath)
            return 0;
        gSetup.walkPath[i] = target[i];
        if (i < 3 || target[i + 1] != '\\')
            continue;
        gSetup.walkPath[i + 1] = '\0';
        if (gSetup.levelCount == MaxCreatedLevels)
            return 0;
        int created;
        if (SetCurrentDirectoryA(gSetup.walkPath))
            created = 0;
        else if (CreateDirectoryA(gSetup.walkPath, NULL))
            created = 1;
        else
            return 0;
        gSetup.createdLevels[gSetup.levelCount++] = created;
    }
    return 1;
}

int PrepareTarget()
{
    if (!WalkTargetLevels())
        gSetup.abortCode = AbortTargetLevel;

    // The log is tried even after a failed walk, so that the levels created
    // so far are recorded for the rollback.
    if (!LogCreate()) {
        gSetup.abortCode = AbortLogCreate;
        return 0;
    }
    LogWriteLevels(gSetup.levelCount, gSetup.createdLevels);

    gSetup.resourceInfo = FindResourceA(gSetup.instance, MAKEINTRESOURCEA(IDR_PAYLOAD), PAYLOAD_TYPE);
    if (!gSetup.resourceInfo) {
        gSetup.abortCode = AbortStageFind;
        return 0;
    }
    gSetup.resourceHandle = LoadResource(gSetup.instance, gSetup.resourceInfo);
    if (gSetup.resourceHandle)
        gSetup.resourceCursor = (const unsigned char*)LockResource(gSetup.resourceHandle);
    if (!gSetup.resourceHandle || !gSetup.resourceCursor) {
        gSetup.abortCode = AbortStageLoad;
        return 0;
    }
    gSetup.stagedSize = SizeofResource(gSetup.instance, gSetup.resourceInfo);
    if (gSetup.stagedSize == 0) {
        gSetup.abortCode = AbortStageEmpty;
        return 0;
    }
    gSetup.stagedRemaining = gSetup.stagedSize;

    if (!CopyText(gSetup.stagedPath, sizeof gSetup.stagedPath, gSetup.targetPath) ||
        !AppendText(gSetup.stagedPath, sizeof gSetup.stagedPath, "temp.un_") ||
        (gSetup.stagedFile = StreamOpen(gSetup.stagedPath, StreamWriteBinary)) == NULL) {
        FreeResource(gSetup.resourceHandle);
        gSetup.abortCode = AbortStageCreate;
        return 0;
    }
    gSetup.stagedPresent = 1;
    LogFlush();
    return 1;
}

// A staged file that cannot take its bytes fails here rather than later as a
// short expansion; temp.un_ stays flagged for the rollback.
static int FailStaging()
{
    StreamClose(gSetup.stagedFile);
    gSetup.stagedFile = NULL;
    FreeResource(gSetup.resourceHandle);
    gSetup.abortCode = AbortStageCreate;
    return 0;
}

int StageSlice(int step)
{
    if (!gSetup.stagedFile)
        return 0;
    int last = step >= StageLastStep;
    DWORD size = SliceSize(step, StageLastStep, StageSlices, gSetup.stagedSize, gSetup.stagedRemaining);

    if (!StreamWrite(gSetup.stagedFile, gSetup.resourceCursor, size))
        return FailStaging();
    gSetup.resourceCursor += size;
    gSetup.stagedRemaining -= size;

    if (last) {
        // The close writes what the stream still buffers.
        if (!StreamFlush(gSetup.stagedFile))
            return FailStaging();
        StreamClose(gSetup.stagedFile);
        gSetup.stagedFile = NULL;
        FreeResource(gSetup.resourceHandle);
    }
    return 1;
}
