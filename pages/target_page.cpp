// Placeholder until the target folder page is built: goes straight on.
#include "pages/pages.h"
#include "setup/setup_state.h"

INT_PTR CALLBACK TargetPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        PreparePage(page);
        gSetup.page = PageConfirm;
        EndDialog(page, 1);
    }
    return FALSE;
}
