// The rollback of an abandoned installation: every stage's handles closed,
// the temporary payload files deleted, the install log replayed from its
// last line back, then the log itself and the folder levels of the target
// path that this run created.
#include <windows.h>

#include "engine/stages.h"
#include "integration/install_log.h"
#include "integration/integration.h"
#include "undo/log_replay.h"
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
        DeleteFileA(gSetup.staging.stagedPath);
        gSetup.staging.stagedPresent = 0;
    }
    if (gSetup.expansion.archivePresent) {
        DeleteFileA(gSetup.expansion.archivePath);
        gSetup.expansion.archivePresent = 0;
    }
    if (!gSetup.log.logOpened)
        return 1;

    LogReplay& replay = gSetup.rollback;
    replay.targetPath = gSetup.targetPath;
    replay.windowsDir = gSetup.windowsDir;
    if (!UndoLogRecords(&replay, gSetup.log.logPath))
        return 0;
    DeleteFileA(gSetup.log.logPath);
    RemoveCreatedLevels(&replay);
    return 1;
}
