// Steps 1 to 19: the target folder's levels, the install log, and the payload
// resource copied byte for byte into temp.un_ in eighteen slices.
#include <windows.h>

#include "engine/stages.h"
#include "integration/install_log.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/product_names.h"
#include "support/stream.h"
#include "support/plain_path.h"

int FailStage(void (*close)(), int code)
{
    close();
    gSetup.abortCode = code;
    return 0;
}

void CloseStaging()
{
    StagingState& staging = gSetup.staging;
    if (staging.stagedFile) {
        StreamClose(staging.stagedFile);
        staging.stagedFile = NULL;
    }
    if (staging.resourceHandle) {
        FreeResource(staging.resourceHandle);
        staging.resourceHandle = NULL;
    }
}

// Walks the levels of targetPath shallowest first (the drive root is not a
// level), creating each missing one. Returns 0 when a level can neither be
// entered nor created, or when there are more levels than createdLevels can
// record: a level created but not recorded could never be rolled back; -1
// when a level is a link, below which everything would land elsewhere.
static int WalkTargetLevels()
{
    StagingState& staging = gSetup.staging;
    staging.levelCount = 0;
    const char* target = gSetup.targetPath;
    for (int i = 0; target[i] != '\0'; ++i) {
        if (i + 1 >= (int)sizeof staging.walkPath)
            return 0;
        staging.walkPath[i] = target[i];
        if (i < 3 || target[i + 1] != '\\')
            continue;
        staging.walkPath[i + 1] = '\0';
        if (staging.levelCount == MaxCreatedLevels)
            return 0;
        int created;
        if (SetCurrentDirectoryA(staging.walkPath))
            created = 0;
        else if (CreateDirectoryA(staging.walkPath, NULL))
            created = 1;
        else
            return 0;
        staging.createdLevels[staging.levelCount++] = created;
        if (IsLink(staging.walkPath))
            return -1;
    }
    return 1;
}

int PrepareTarget()
{
    StagingState& staging = gSetup.staging;
    int walked = WalkTargetLevels();
    // Not even the log goes through a link; the levels created before it
    // go by the walk's own flags.
    if (walked < 0)
        return FailStage(CloseStaging, AbortTargetLevel);
    if (!walked)
        gSetup.abortCode = AbortTargetLevel;

    // The log is tried even after a failed walk, so that the levels created
    // so far are recorded for the rollback.
    if (!LogCreate() || !LogWriteLevels(staging.levelCount, staging.createdLevels))
        return FailStage(CloseStaging, AbortLogCreate);

    staging.resourceInfo = FindResourceA(gSetup.instance, MAKEINTRESOURCEA(IDR_PAYLOAD), PAYLOAD_TYPE);
    if (!staging.resourceInfo)
        return FailStage(CloseStaging, AbortStageFind);
    staging.resourceHandle = LoadResource(gSetup.instance, staging.resourceInfo);
    if (staging.resourceHandle)
        staging.resourceCursor = (const unsigned char*)LockResource(staging.resourceHandle);
    if (!staging.resourceHandle || !staging.resourceCursor)
        return FailStage(CloseStaging, AbortStageLoad);
    staging.stagedSize = SizeofResource(gSetup.instance, staging.resourceInfo);
    if (staging.stagedSize == 0)
        return FailStage(CloseStaging, AbortStageEmpty);
    staging.stagedRemaining = staging.stagedSize;

    if (!CopyText(staging.stagedPath, sizeof staging.stagedPath, gSetup.targetPath) ||
        !AppendText(staging.stagedPath, sizeof staging.stagedPath, STAGED_FILE_NAME))
        return FailStage(CloseStaging, AbortStageCreate);
    // Made new: a leftover of an earlier run goes first, a link stays and
    // makes the creation fail.
    DeleteOwnFile(staging.stagedPath);
    staging.stagedFile = StreamOpen(staging.stagedPath, StreamWriteNew);
    if (!staging.stagedFile)
        return FailStage(CloseStaging, AbortStageCreate);
    staging.stagedPresent = 1;
    return 1;
}

// A staged file that cannot take its bytes fails here rather than later as a
// short expansion; temp.un_ stays flagged for the rollback.
int StageSlice(int step)
{
    StagingState& staging = gSetup.staging;
    if (!staging.stagedFile)
        return 0;
    int last = step >= StageLastStep;
    DWORD size = SliceSize(step, StageLastStep, StageSlices, staging.stagedSize, staging.stagedRemaining);

    if (!StreamWrite(staging.stagedFile, staging.resourceCursor, size))
        return FailStage(CloseStaging, AbortStageCreate);
    staging.resourceCursor += size;
    staging.stagedRemaining -= size;

    // The close writes what the stream still buffers.
    if (last && !StreamFlush(staging.stagedFile))
        return FailStage(CloseStaging, AbortStageCreate);
    if (last)
        CloseStaging();
    return 1;
}
