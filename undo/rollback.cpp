// The rollback of an abandoned installation: every stage's handles closed,
// the temporary payload files deleted, the lines this run logged undone from
// the last back, then the log itself and the folder levels of the target
// path that this run created.
#include <windows.h>

#include "engine/stages.h"
#include "integration/install_log.h"
#include "undo/log_replay.h"
#include "support/plain_path.h"
#include "setup/setup_state.h"

int RunRollback()
{
    // A stage that stopped short can leave its streams open, and an open
    // file cannot be deleted.
    CloseStaging();
    CloseExpansion();
    CloseExtraction();
    CloseLog();

    if (gSetup.staging.stagedPresent) {
        DeleteOwnFile(gSetup.staging.stagedPath);
        gSetup.staging.stagedPresent = 0;
    }
    if (gSetup.expansion.archivePresent) {
        DeleteOwnFile(gSetup.expansion.archivePath);
        gSetup.expansion.archivePresent = 0;
    }
    LogReplay& replay = gSetup.rollback;
    replay.targetPath = gSetup.targetPath;
    if (!gSetup.log.logOpened) {
        // No log took the levels this run created: the walk's own flags
        // say which, and each goes only while empty.
        if (gSetup.staging.levelCount > 0) {
            ReplaySetLevels(&replay, gSetup.staging.createdLevels, gSetup.staging.levelCount);
            RemoveCreatedLevels(&replay);
        }
        return 1;
    }

    // The run's own copy of its lines: what another process put into the
    // file meanwhile is never acted on. It is undone in place.
    LogState& log = gSetup.log;
    size_t size = log.copySize;
    int result = log.copy ? UndoLog(&replay, log.copy, &size, ReplayBackward) : ReplayDamaged;
    if (result == ReplayDamaged)
        return 0;
    if (result == ReplayLeft) {
        // Whatever could not go stays recorded for the uninstaller.
        log.copySize = size;
        ReplaceLog(log.logPath, log.copy, size);
        return 0;
    }
    DeleteOwnFile(log.logPath);
    RemoveCreatedLevels(&replay);
    return 1;
}
