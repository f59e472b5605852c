// Placeholder until the install timeline is built: closes at once.
#include "engine/timeline.h"
#include "setup/setup_state.h"
#include "pages/pages.h"

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        PreparePage(page);
        gSetup.page = PageFinished;
        EndDialog(page, 1);
    }
    return FALSE;
}
