// The progress page and its step table. One tick runs at most one stage, a
// bounded slice of work, so the page repaints and the bar moves between ticks
// without a second thread.
#include <windows.h>
#include <commctrl.h>

#include "engine/stages.h"
#include "engine/timeline.h"
#include "integration/integration.h"
#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"

enum { TimelineTimer = 1, TickMs = 50 };

static int RegisterUninstallStep()
{
    return RegisterUninstall("ZKKovraRendoCup_V1", "Entferne Kovra Rendo Cup", "uninst.exe");
}

// Steps first..last run one stage: a whole stage, or a slice stage given the step.
struct TimelineRow {
    int first;
    int last;
    int (*stage)();
    int (*slice)(int step);
};

static const TimelineRow Timeline[] = {
    { PrepareStep, PrepareStep, PrepareTarget, 0 },
    { PrepareStep + 1, StageLastStep, 0, StageSlice },
    { ExpansionOpenStep, ExpansionOpenStep, OpenExpansion, 0 },
    { ExpansionOpenStep + 1, ExpandLastStep, 0, ExpandSlice },
    { ExtractionOpenStep, ExtractionOpenStep, OpenExtraction, 0 },
    { ExtractionOpenStep + 1, ExtractLastStep, 0, ExtractSlice },
    { StartMenuStep, StartMenuStep, InstallStartMenuEntries, 0 },
    { UninstallStep, UninstallStep, RegisterUninstallStep, 0 },
};

int RunTimelineStep(int step)
{
    for (unsigned int i = 0; i < sizeof Timeline / sizeof Timeline[0]; ++i) {
        const TimelineRow& row = Timeline[i];
        if (step >= row.first && step <= row.last)
            return row.stage ? row.stage() : row.slice(step);
    }
    return 1;
}

static void ShowStep(HWND page, int step)
{
    SendMessageA(GetDlgItem(page, IDC_PROGRESS_BAR), PBM_SETPOS, (WPARAM)step, 0);
    char label[100];
    wsprintfA(label, "Fortschritt: %d%%", step);
    SetWindowTextA(GetDlgItem(page, IDC_PROGRESS_LABEL), label);
}

static void Tick(HWND page)
{
    // A stage with a message box of its own lets ticks in meanwhile.
    if (gSetup.stepBusy)
        return;
    if (gSetup.step >= LastStep) {
        KillTimer(page, TimelineTimer);
        EndDialog(page, 1);
        gSetup.page = PageFinished;
        return;
    }
    gSetup.stepBusy = 1;
    ++gSetup.step;
    if (gSetup.abortCode == AbortNone)
        RunTimelineStep(gSetup.step);
    ShowStep(page, gSetup.step);
    gSetup.stepBusy = 0;
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        PreparePage(page);
        // The template's id -1 is stored as the word 0xFFFF.
        SetWindowTextA(GetDlgItem(page, (WORD)IDC_PROGRESS_NOTE), "Bitte haben Sie etwas Geduld.");
        HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, LastStep));
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        gSetup.step = 0;
        SetTimer(page, TimelineTimer, TickMs, NULL);
        break;
    }
    case WM_TIMER:
        Tick(page);
        break;
    }
    return FALSE;
}
