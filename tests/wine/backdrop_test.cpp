// The backdrop window procedure, driven in this process.
#include <gtest/gtest.h>

#include "setup/driver.h"
#include "setup/setup_state.h"

namespace {

class Backdrop : public ::testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryExA(KOVRA_SETUP_EXE, NULL, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module != NULL);
        gSetup.instance = module;
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof windowClass);
        windowClass.lpfnWndProc = BackdropWindowProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "BACKDROPTEST";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "BACKDROPTEST", "test", WS_POPUP, 0, 0, 200, 150, NULL, NULL,
                                 GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(window != NULL);
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        FreeLibrary(module);
    }

    HMODULE module;
    HWND window;
};

TEST_F(Backdrop, TakesBothIconsFromTheProgram)
{
    EXPECT_TRUE(SendMessageA(window, WM_GETICON, ICON_BIG, 0) != 0);
    EXPECT_TRUE(SendMessageA(window, WM_GETICON, ICON_SMALL, 0) != 0);
}

TEST_F(Backdrop, ErasingDrawsNothingAndCountsAsDone)
{
    // A memory context with a sentinel pixel: erasing must leave it alone.
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SetPixel(dc, 3, 3, RGB(1, 2, 3));
    EXPECT_EQ(1, SendMessageA(window, WM_ERASEBKGND, (WPARAM)dc, 0));
    EXPECT_EQ(RGB(1, 2, 3), GetPixel(dc, 3, 3));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
}

TEST_F(Backdrop, CloseDestroysTheWindowAndPostsQuitWithCode0)
{
    EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_FALSE(IsWindow(window));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

}  // namespace
