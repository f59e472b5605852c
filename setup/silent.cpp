// The unattended install (/S): the checks of the target and confirmation
// pages and the wizard's own install, with no window and no box. Nobody
// watches the bar, so the steps follow each other as fast as the work
// allows. The outcome is the exit code (SilentExit, or the abort code of
// the stage that gave up).
#include <windows.h>

#include "engine/stages.h"
#include "engine/timeline.h"
#include "pages/drive_space.h"
#include "pages/pages.h"
#include "setup/driver.h"
#include "setup/run_report.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "undo/log_replay.h"

// The folder of /D=, or the one the target page would propose, checked as
// the target page and the confirmation page check it. 0 when it may be used.
static int ChooseFolder(const char* folder)
{
    char typed[TextCapacity];
    CopyText(typed, sizeof typed, folder[0] ? folder : gSetup.targetPath);
    int verdict = TargetDriveUsable(typed) ? CommitTarget(typed) : TargetNotAFolder;
    ReportPair("Zielordner", verdict == TargetNotAFolder ? typed : gSetup.targetPath);
    if (verdict == TargetNotAFolder)
        return SilentFolderRefused;
    if (verdict == TargetInstalled)
        return SilentFolderInstalled;
    // The drive is usable: what CheckTargetDrive still refuses is the space.
    return CheckTargetDrive(gSetup.targetPath) ? SilentInstalled : SilentNoSpace;
}

int RunSilentInstall(const char* folder)
{
    if (!RunStartupChecks()) {
        ReportEnd("Installation abgebrochen", gSetup.abortCode);
        return gSetup.abortCode;
    }
    int refused = ChooseFolder(folder);
    if (refused != SilentInstalled) {
        ReportEnd(refused == SilentNoSpace       ? "nicht genug Speicherplatz"
                  : refused == SilentFolderRefused ? "Zielordner abgelehnt"
                                                   : "im Zielordner ist schon ein Programm installiert",
                  refused);
        return refused;
    }
    gSetup.page = PageProgress;
    for (gSetup.step = 1; gSetup.step <= LastStep && gSetup.abortCode == AbortNone; ++gSetup.step)
        RunTimelineStep(gSetup.step);
    gSetup.page = PageFinished;
    // As after "Installation abgebrochen.": the rollback.
    if (CloseRun() != AbortNone)
        RunRollback();
    return gSetup.abortCode;
}
