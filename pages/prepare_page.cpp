// The set-up every wizard page runs first, and the buttons that end a page.
#include <windows.h>

#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"

void PreparePage(HWND page)
{
    SendMessageA(page, WM_SETICON, ICON_BIG, (LPARAM)LoadIconA(gSetup.instance, MAKEINTRESOURCEA(IDI_SETUP)));
    SendMessageA(page, WM_SETICON, ICON_SMALL, (LPARAM)LoadIconA(gSetup.instance, MAKEINTRESOURCEA(IDI_SETUP)));

    // Signed halves, so a page larger than the screen goes to a negative
    // offset instead of being clamped.
    RECT frame;
    GetWindowRect(page, &frame);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(page, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
    ShowWindow(page, SW_SHOW);
}

INT_PTR EndPageOnCommand(HWND page, WPARAM wParam, int next, int back)
{
    if (next && IsPlainCommand(wParam, IDC_NEXT)) {
        EndDialog(page, 1);
        gSetup.page = next;
    } else if (back && IsPlainCommand(wParam, IDC_BACK)) {
        EndDialog(page, 1);
        gSetup.page = back;
    } else if (IsPlainCommand(wParam, IDC_CANCEL)) {
        EndDialog(page, 0);
    } else {
        return FALSE;
    }
    return TRUE;
}
