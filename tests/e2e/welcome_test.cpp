// The start of a run as the user sees it: backdrop, welcome page, abandoning,
// and copies of the program whose payload is missing or empty.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "files.h"
#include "uidriver.h"

namespace {

const int WelcomeIds[] = { IDC_NEXT, IDC_CANCEL, IDC_WELCOME_TEXT, 0 };
const char DefaultTarget[] = "C:\\Program Files\\Kovra Rendo Cup";

class WelcomePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        before = fx::ListTree("C:\\Program Files", fx::TreePlain);
        ASSERT_TRUE(fx::Launch(KOVRA_SETUP_EXE, &app));
        page = fx::WaitPage(app, WelcomeIds);
        ASSERT_TRUE(page != NULL);
    }
    void TearDown() override { fx::Kill(&app); }

    // Abandoning shows the one closing box, owned by the backdrop, and
    // leaves the disk as it was.
    void ExpectAbandoned()
    {
        RECT frame;
        GetWindowRect(page, &frame);
        fx::MessageBox box;
        ASSERT_TRUE(fx::WaitMessageBox(app, &box));
        // Where the page stood, the backdrop has painted its gradient again.
        Sleep(200);
        int height = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_EQ(RGB(0, 0, 255 - 255 * (frame.top + 3) / height), fx::ScreenPixel(frame.left + 3, frame.top + 3));
        EXPECT_EQ("Installation abgebrochen.", box.text);
        EXPECT_EQ("Kovra Rendo Cup", box.caption);
        EXPECT_EQ(FindWindowA("SETCLASS", "Vantorell Setup"), box.owner);
        fx::Answer(box);
        EXPECT_EQ(1, fx::WaitExit(&app));
        EXPECT_FALSE(fx::Exists(DefaultTarget));
        EXPECT_EQ(before, fx::ListTree("C:\\Program Files", fx::TreePlain));
    }

    fx::App app;
    HWND page = NULL;
    std::vector<std::string> before;
};

TEST_F(WelcomePage, ShowsItsTextsCentredOnTheScreen)
{
    EXPECT_EQ("Dieses Programm installiert den Kovra Rendo Cup.", fx::Text(page, IDC_WELCOME_TEXT));
    EXPECT_EQ("Weiter", fx::Text(page, IDC_NEXT));
    EXPECT_EQ("Abbrechen", fx::Text(page, IDC_CANCEL));
    EXPECT_EQ("", fx::WindowText(page));

    RECT frame;
    GetWindowRect(page, &frame);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, frame.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, frame.top);
}

TEST_F(WelcomePage, CancelAbandonsTheRun)
{
    fx::Click(page, IDC_CANCEL);
    ExpectAbandoned();
}

TEST_F(WelcomePage, EscapeAbandonsTheRunLikeCancel)
{
    fx::PressEscape(page);
    ExpectAbandoned();
}

TEST_F(WelcomePage, BackdropIsTheExactGradientWithTheProductName)
{
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int x = GetSystemMetrics(SM_CXSCREEN) - 20;  // right of the text and the page
    EXPECT_EQ(RGB(0, 0, 255), fx::ScreenPixel(x, 0));
    EXPECT_EQ(RGB(0, 0, 255 - 255 * (height / 2) / height), fx::ScreenPixel(x, height / 2));
    EXPECT_EQ(RGB(0, 0, 255 - 255 * (height - 1) / height), fx::ScreenPixel(x, height - 1));

    // The white letters stand over their shadow; somewhere in the first
    // line there is a pixel of each, and the shadow shows only to the
    // lower right of the white.
    int white = 0, shadow = 0;
    for (int y = 20; y < 75; ++y)
        for (int px = 20; px < 200; ++px) {
            COLORREF c = fx::ScreenPixel(px, y);
            white += c == RGB(255, 255, 255);
            shadow += c == RGB(20, 20, 20);
        }
    EXPECT_GT(white, 200);
    EXPECT_GT(shadow, 50);
    EXPECT_EQ(RGB(0, 0, 255 - 255 * 20 / height), fx::ScreenPixel(20, 20));
}

// A program whose payload is missing or empty ends before any page, with
// exit code 0 and no box.
void ExpectSilentEnd(const char* copy)
{
    fx::App app;
    ASSERT_TRUE(fx::Launch(copy, &app));
    EXPECT_EQ(0, fx::WaitExit(&app, 15000));
}

TEST(BrokenPayload, MissingResourceEndsSilently)
{
    ASSERT_TRUE(fx::CopyWithoutPayload(KOVRA_SETUP_EXE, "C:\\nopayload.exe"));
    ExpectSilentEnd("C:\\nopayload.exe");
}

TEST(BrokenPayload, EmptyResourceEndsSilently)
{
    ASSERT_TRUE(fx::CopyWithEmptyPayload(KOVRA_SETUP_EXE, "C:\\emptypayload.exe"));
    ExpectSilentEnd("C:\\emptypayload.exe");
}

}  // namespace
