// The confirmation page: the committed folder and the space figures, and
// "INSTALL" to start.
#include <windows.h>
#include <string.h>

#include "pages/drive_space.h"
#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"
#include "support/bounded.h"

enum {
    DisplayWhole = 35,  // longer paths are shortened
    DisplayKept = 17    // characters kept at each end of a shortened path
};

// The path whole when it fits the label, else its two ends around "...".
static void ShortenForDisplay(const char* path, char* display, size_t capacity)
{
    size_t length = strlen(path);
    if (length <= DisplayWhole) {
        CopyText(display, capacity, path);
        return;
    }
    char head[DisplayKept + 1];
    CopyText(head, sizeof head, path);
    CopyText(display, capacity, head);
    AppendText(display, capacity, "...");
    AppendText(display, capacity, path + length - DisplayKept);
}

static void OnInit(HWND page)
{
    PreparePage(page);
    SetDlgItemTextA(page, IDC_CONFIRM_TEXT, "Klicken Sie auf INSTALL, um die Installation zu starten.");
    char display[DisplayKept * 2 + 4];
    ShortenForDisplay(gSetup.targetPath, display, sizeof display);
    SetDlgItemTextA(page, IDC_TARGET_DISPLAY, display);
    ShowStoredTargetSpace(page);
}

INT_PTR CALLBACK ConfirmPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInit(page);
        return TRUE;
    }
    return message == WM_COMMAND && EndPageOnCommand(page, wParam, PageProgress, PageTarget);
}
