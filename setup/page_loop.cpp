// The page loop and the ending of a run.
#include <windows.h>

#include "integration/install_log.h"
#include "integration/integration.h"
#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/driver.h"
#include "setup/run_report.h"
#include "setup/setup_state.h"
#include "support/product_names.h"
#include "undo/log_replay.h"

void RunPageLoop(HWND backdrop)
{
    do {
        int templateId = 0;
        DLGPROC procedure = NULL;
        switch (gSetup.page) {
        case PageWelcome: templateId = IDD_WELCOME; procedure = WelcomePageProc; break;
        case PageTarget: templateId = IDD_TARGET; procedure = TargetPageProc; break;
        case PageConfirm: templateId = IDD_CONFIRM; procedure = ConfirmPageProc; break;
        case PageProgress: templateId = IDD_PROGRESS; procedure = ProgressPageProc; break;
        }
        if (!procedure)
            continue;
        INT_PTR result = DialogBoxParamA(gSetup.instance, MAKEINTRESOURCEA(templateId), backdrop,
                                         procedure, 0);
        // A page that cannot even be created would otherwise be shown again
        // forever; ending the run as abandoned leaves nothing half done.
        if (result == 0 || result == -1) {
            gSetup.abortCode = AbortUser;
            break;
        }
    } while (gSetup.page < PageFinished);
}

int CloseRun()
{
    // The PN record is the last line of every log the setup closes. A log
    // that did not take it, or all of what came before, cannot be trusted
    // by the uninstaller: the run is abandoned and rolled back.
    if (gSetup.log.logFile) {
        int closed = LogRecord("PN", PRODUCT_NAME);
        if (!CloseLog() || !closed)
            gSetup.abortCode = AbortLogWrite;
    }
    ReportEnd(gSetup.abortCode == AbortNone ? "Installation erfolgreich" : "Installation abgebrochen",
              gSetup.abortCode);
    return gSetup.abortCode;
}

void RunEnding(HWND backdrop)
{
    if (CloseRun() != AbortNone) {
        MessageBoxA(backdrop, "Installation abgebrochen.", PRODUCT_NAME, MB_OK);
        RunRollback();
    } else {
        MessageBoxA(backdrop, "Installation erfolgreich.", PRODUCT_NAME, MB_OK);
    }
}
