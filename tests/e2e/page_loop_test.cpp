// A page whose dialog cannot be created ends the run as abandoned instead of
// showing the same page again forever.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "files.h"
#include "uidriver.h"

TEST(PageLoop, APageThatCannotBeCreatedAbandonsTheRun)
{
    // Renumbering the progress page (the last dialog id) keeps the directory sorted.
    ASSERT_TRUE(fx::CopyWithResourceRenumbered(KOVRA_SETUP_EXE, "C:\\noprogress.exe", 5, IDD_PROGRESS, 190));
    fx::App app;
    ASSERT_TRUE(fx::Launch("C:\\noprogress.exe", &app));

    static const int welcome[] = { IDC_WELCOME_TEXT, 0 };
    static const int target[] = { IDC_TARGET_EDIT, 0 };
    static const int confirm[] = { IDC_TARGET_DISPLAY, 0 };
    HWND page = fx::WaitPage(app, welcome);
    ASSERT_TRUE(page != NULL);
    fx::Click(page, IDC_NEXT);
    if ((page = fx::WaitPage(app, target, 3000)) != NULL)
        fx::Click(page, IDC_NEXT);
    if ((page = fx::WaitPage(app, confirm, 3000)) != NULL)
        fx::Click(page, IDC_NEXT);

    fx::MessageBox box;
    ASSERT_TRUE(fx::WaitMessageBox(app, &box));
    EXPECT_EQ("Installation abgebrochen.", box.text);
    fx::Answer(box);
    EXPECT_EQ(1, fx::WaitExit(&app));
    EXPECT_FALSE(fx::Exists("C:\\Program Files\\Kovra Rendo Cup"));
}
