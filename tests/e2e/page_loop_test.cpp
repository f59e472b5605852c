// A page whose dialog cannot be created ends the run as abandoned instead of
// showing the same page again forever.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "uidriver.h"

TEST(PageLoop, APageThatCannotBeCreatedAbandonsTheRun)
{
    // Renumbering the progress page (the last dialog id) keeps the directory sorted.
    ASSERT_TRUE(ui::CopyWithResourceRenumbered(KOVRA_SETUP_EXE, "C:\\noprogress.exe", 5, IDD_PROGRESS, 190));
    ui::App app;
    ASSERT_TRUE(ui::Launch("C:\\noprogress.exe", &app));

    static const int welcome[] = { IDC_WELCOME_TEXT, 0 };
    static const int target[] = { IDC_TARGET_EDIT, 0 };
    static const int confirm[] = { IDC_TARGET_DISPLAY, 0 };
    HWND page = ui::WaitPage(app, welcome);
    ASSERT_TRUE(page != NULL);
    ui::Click(page, IDC_NEXT);
    if ((page = ui::WaitPage(app, target, 3000)) != NULL)
        ui::Click(page, IDC_NEXT);
    if ((page = ui::WaitPage(app, confirm, 3000)) != NULL)
        ui::Click(page, IDC_NEXT);

    ui::MessageBox box;
    ASSERT_TRUE(ui::WaitMessageBox(app, &box));
    EXPECT_EQ("Installation abgebrochen.", box.text);
    ui::Answer(box);
    EXPECT_EQ(1, ui::WaitExit(&app));
    EXPECT_FALSE(ui::FileExists("C:\\Program Files\\Kovra Rendo Cup"));
}
