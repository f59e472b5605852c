// The wizard pages' own procedures, shown as real modal dialogs in this
// process: which commands end a page, with which result and next page, and
// the centring every page does first.
#include <gtest/gtest.h>

#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"

namespace {

const INT_PTR StillOpen = 99;

DLGPROC gPage;
WPARAM gCommand;

// Runs the page, then sends it one command; a page that is still open after
// that is closed with StillOpen.
INT_PTR CALLBACK Driven(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP) {
        EndDialog(dialog, StillOpen);
        return TRUE;
    }
    INT_PTR handled = gPage(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) {
        PostMessageA(dialog, WM_COMMAND, gCommand, 0);
        PostMessageA(dialog, WM_APP, 0, 0);
    }
    return handled;
}

TEST(PageCommands, OnlyPlainClicksEndAPageAndSetTheNextOne)
{
    HMODULE module = LoadLibraryExA(KOVRA_SETUP_EXE, NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module != NULL);
    gSetup.instance = module;
    gSetup.payloadSize = 3724297;
    lstrcpyA(gSetup.targetPath, "C:\\nolog\\");  // holds no install log

    const struct {
        int templateId;
        DLGPROC page;
        int shown;
        WPARAM command;
        INT_PTR result;
        int next;
    } cases[] = {
        { IDD_WELCOME, WelcomePageProc, PageWelcome, IDC_NEXT, 1, PageTarget },
        { IDD_WELCOME, WelcomePageProc, PageWelcome, IDC_CANCEL, 0, PageWelcome },
        { IDD_WELCOME, WelcomePageProc, PageWelcome, IDC_BACK, StillOpen, PageWelcome },
        { IDD_WELCOME, WelcomePageProc, PageWelcome, MAKEWPARAM(IDC_NEXT, 1), StillOpen, PageWelcome },
        { IDD_TARGET, TargetPageProc, PageTarget, IDC_NEXT, 1, PageConfirm },
        { IDD_TARGET, TargetPageProc, PageTarget, IDC_BACK, 1, PageWelcome },
        { IDD_TARGET, TargetPageProc, PageTarget, IDC_CANCEL, 0, PageTarget },
        { IDD_TARGET, TargetPageProc, PageTarget, MAKEWPARAM(IDC_TARGET_EDIT, EN_CHANGE), StillOpen, PageTarget },
        { IDD_TARGET, TargetPageProc, PageTarget, MAKEWPARAM(IDC_BACK, 1), StillOpen, PageTarget },
        { IDD_CONFIRM, ConfirmPageProc, PageConfirm, IDC_NEXT, 1, PageProgress },
        { IDD_CONFIRM, ConfirmPageProc, PageConfirm, IDC_BACK, 1, PageTarget },
        { IDD_CONFIRM, ConfirmPageProc, PageConfirm, IDC_CANCEL, 0, PageConfirm },
        { IDD_CONFIRM, ConfirmPageProc, PageConfirm, MAKEWPARAM(IDC_CANCEL, 1), StillOpen, PageConfirm },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "template " << c.templateId << ", command 0x" << std::hex << c.command);
        gPage = c.page;
        gCommand = c.command;
        gSetup.page = c.shown;
        EXPECT_EQ(c.result, DialogBoxParamA(module, MAKEINTRESOURCEA(c.templateId), NULL, Driven, 0));
        EXPECT_EQ(c.next, gSetup.page);
    }
    EXPECT_STREQ("C:\\nolog\\", gSetup.targetPath);
    FreeLibrary(module);
}

TEST(PreparePage, CentresWithSignedHalvesShowsAndSetsBothIcons)
{
    HMODULE module = LoadLibraryExA(KOVRA_SETUP_EXE, NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module != NULL);
    gSetup.instance = module;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // A page larger than the screen by an odd amount goes to a negative
    // offset rounded toward zero, not clamped and not rounded down.
    const SIZE sizes[] = { { 301, 201 }, { screenWidth + 501, screenHeight + 301 } };
    for (const SIZE& size : sizes) {
        HWND page = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, size.cx, size.cy, NULL, NULL, NULL, NULL);
        ASSERT_TRUE(page != NULL);
        PreparePage(page);
        RECT frame;
        GetWindowRect(page, &frame);
        EXPECT_EQ((screenWidth - size.cx) / 2, frame.left);
        EXPECT_EQ((screenHeight - size.cy) / 2, frame.top);
        EXPECT_EQ(size.cx, frame.right - frame.left);
        EXPECT_TRUE(IsWindowVisible(page));
        EXPECT_TRUE(SendMessageA(page, WM_GETICON, ICON_BIG, 0) != 0);
        EXPECT_TRUE(SendMessageA(page, WM_GETICON, ICON_SMALL, 0) != 0);
        DestroyWindow(page);
    }
    FreeLibrary(module);
}

}  // namespace
