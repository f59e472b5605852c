// The progress page: a 50 ms timer walks the 100-step install timeline and
// shows each step on the bar and the label.
#include <windows.h>
#include <commctrl.h>

#include "engine/stages.h"
#include "engine/timeline.h"
#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"

enum { TimelineTimer = 1, TickMs = 50, LabelCapacity = 100 };

static void ShowStep(HWND page, int step)
{
    SendMessageA(GetDlgItem(page, IDC_PROGRESS_BAR), PBM_SETPOS, (WPARAM)step, 0);
    char label[LabelCapacity];
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
