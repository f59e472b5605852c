// The welcome page: greets the user and states what the game needs.
#include <windows.h>

#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        PreparePage(page);
        SetDlgItemTextA(page, IDC_WELCOME_TEXT, "Dieses Programm installiert den Kovra Rendo Cup.");
        return TRUE;
    }
    if (message == WM_COMMAND) {
        if (IsPlainCommand(wParam, IDC_NEXT)) {
            EndDialog(page, 1);
            gSetup.page = PageTarget;
            return TRUE;
        }
        if (IsPlainCommand(wParam, IDC_CANCEL)) {
            EndDialog(page, 0);
            return TRUE;
        }
    }
    return FALSE;
}
