// Placeholder until the confirmation page is built: goes straight on.
#include "pages/pages.h"
#include "setup/setup_state.h"

INT_PTR CALLBACK ConfirmPageProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        PreparePage(page);
        gSetup.page = PageProgress;
        EndDialog(page, 1);
    }
    return FALSE;
}
