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
    return message == WM_COMMAND && EndPageOnCommand(page, wParam, PageTarget, 0);
}
