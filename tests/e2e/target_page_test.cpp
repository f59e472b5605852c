// The target folder and confirmation pages as the user sees them, on the
// drives that tests/wine/drives.sh maps: removable A: B: E:, fixed D: on the
// host disk, CD-ROM F:, network N:, and the tmpfs drives S: (1 MB) and T:
// (8 MB). Each test is one run of setup.exe that checks many things in turn.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <utility>

#include "resources/resource_ids.h"
#include "files.h"
#include "uidriver.h"

namespace {

const int WelcomeIds[] = { IDC_WELCOME_TEXT, 0 };
const int TargetIds[] = { IDC_TARGET_EDIT, IDC_BROWSE, 0 };
const int ConfirmIds[] = { IDC_TARGET_DISPLAY, IDC_CONFIRM_TEXT, 0 };
const int BrowserIds[] = { IDOK, IDCANCEL, 14145, 0 };
const int BrowserTree = 14145;
const int BrowserTitle = 14146;

const char DefaultTarget[] = "C:\\Program Files\\Kovra Rendo Cup\\";
const long long NotShown = -1;

// What the pages must show as the space needed, from the payload that
// setup.exe carries.
unsigned long SpaceNeeded()
{
    HMODULE module = LoadLibraryExA(KOVRA_SETUP_EXE, NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC payload = module ? FindResourceA(module, MAKEINTRESOURCEA(144), "TEMPLATE") : NULL;
    DWORD size = payload ? SizeofResource(module, payload) : 0;
    if (module)
        FreeLibrary(module);
    return (size >> 10) * 2 + 2048;
}

unsigned long long HostFreeKB(const char* root)
{
    ULARGE_INTEGER available, total, totalFree;
    if (!GetDiskFreeSpaceExA(root, &available, &total, &totalFree))
        return 0;
    return available.QuadPart >> 10;
}

long long LabelKB(HWND page)
{
    std::string text = fx::Text(page, IDC_FREE_SPACE);
    if (text.size() < 4 || text.compare(text.size() - 3, 3, " KB") != 0)
        return NotShown;
    return strtoll(text.c_str(), NULL, 10);
}

BOOL CALLBACK MatchChildText(HWND child, LPARAM param)
{
    std::pair<const std::string*, bool>* search = (std::pair<const std::string*, bool>*)param;
    if (fx::WindowText(child) == *search->first)
        search->second = true;
    return !search->second;
}

// Whether a control without an id of its own shows text.
bool HasChildText(HWND dialog, const std::string& text)
{
    std::pair<const std::string*, bool> search(&text, false);
    EnumChildWindows(dialog, MatchChildText, (LPARAM)&search);
    return search.second;
}

class WizardPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        needed = SpaceNeeded();
        ASSERT_TRUE(fx::Launch(KOVRA_SETUP_EXE, &app));
        HWND welcome = fx::WaitPage(app, WelcomeIds);
        ASSERT_TRUE(welcome != NULL);
        fx::Click(welcome, IDC_NEXT);
        page = fx::WaitPage(app, TargetIds);
        ASSERT_TRUE(page != NULL);
    }
    void TearDown() override { fx::Kill(&app); }

    HWND ToConfirmPage()
    {
        EXPECT_TRUE(fx::Enabled(page, IDC_NEXT));
        fx::Click(page, IDC_NEXT);
        return fx::WaitPage(app, ConfirmIds);
    }
    HWND BackToTargetPage(HWND confirm)
    {
        fx::Click(confirm, IDC_BACK);
        return fx::WaitPage(app, TargetIds);
    }
    // The user types text; the page answers with "Weiter" and the labels.
    void Type(const std::string& text) { fx::SetText(page, IDC_TARGET_EDIT, text.c_str()); }

    // "Weiter" as the typed text leaves it, the free figure (exact, or that
    // of a host drive within 1 GiB, which others write to meanwhile) and the
    // drive named in the caption.
    void ExpectState(const std::string& text, bool enabled, long long freeKB, const char* hostRoot,
                     const std::string& letter)
    {
        SCOPED_TRACE("typed \"" + text + "\"");
        Type(text);
        EXPECT_EQ(enabled, fx::Enabled(page, IDC_NEXT));
        if (hostRoot)
            EXPECT_NEAR((double)HostFreeKB(hostRoot), (double)LabelKB(page), 1024.0 * 1024);
        else
            EXPECT_EQ(freeKB, LabelKB(page));
        EXPECT_EQ("Freier Platz auf " + letter + ":\\", fx::Text(page, IDC_FREE_CAPTION));
        EXPECT_EQ(std::to_string(needed) + " KB", fx::Text(page, IDC_SPACE_NEEDED));
    }

    void ExpectAbandoned()
    {
        fx::MessageBox box;
        ASSERT_TRUE(fx::WaitMessageBox(app, &box));
        EXPECT_EQ("Installation abgebrochen.", box.text);
        fx::Answer(box);
        EXPECT_EQ(1, fx::WaitExit(&app));
    }

    fx::App app;
    HWND page = NULL;
    unsigned long needed = 0;
};

TEST_F(WizardPages, WeiterFollowsTheTypedDriveAndItsSpace)
{
    // The page opens on the default from ProgramFilesDir.
    EXPECT_EQ(DefaultTarget, fx::Text(page, IDC_TARGET_EDIT));
    EXPECT_EQ("Bitte w\xE4hlen Sie den Zielpfad.", fx::Text(page, IDC_TARGET_TEXT));
    EXPECT_TRUE(HasChildText(page, "Ben\xF6tigter Speicher:"));
    EXPECT_TRUE(HasChildText(page, "Zielpfad:"));
    EXPECT_EQ(std::to_string(needed) + " KB", fx::Text(page, IDC_SPACE_NEEDED));
    // The build links the demo payload of 3,724,297 bytes.
    EXPECT_EQ("9322 KB", fx::Text(page, IDC_SPACE_NEEDED));
    EXPECT_EQ("Freier Platz auf C:\\", fx::Text(page, IDC_FREE_CAPTION));
    EXPECT_NEAR((double)HostFreeKB("C:\\"), (double)LabelKB(page), 1024.0 * 1024);
    EXPECT_TRUE(fx::Enabled(page, IDC_NEXT));
    // The host disk has far more than 4 GiB: shown as it is, not wrapped.
    if (HostFreeKB("C:\\") > (5ull << 20))
        EXPECT_GT(LabelKB(page), 4ll << 20);

    ExpectState("a:\\Spiele\\", false, 0, NULL, "a");
    ExpectState("B:\\Spiele\\", false, 0, NULL, "B");
    ExpectState("C:", false, 0, "C:\\", "C");
    ExpectState("C:Spiele", false, 0, "C:\\", "C");
    ExpectState("\\\\server\\share\\Spiele", false, 0, NULL, "\\");
    ExpectState("c:\\spiele\\", true, 0, "C:\\", "c");
    ExpectState("D:\\", true, 0, "D:\\", "D");
    ExpectState("E:\\Spiele", true, 0, "E:\\", "E");        // removable
    ExpectState("F:\\Spiele", false, 0, "F:\\", "F");       // CD-ROM
    ExpectState("N:\\Spiele", false, 0, "N:\\", "N");       // network
    ExpectState("S:\\Spiele", false, 1024, NULL, "S");      // too little space
    ExpectState("t:\\Spiele", 8192 >= needed, 8192, NULL, "t");
    ExpectState("Q:\\Spiele", false, 0, NULL, "Q");         // no such drive

    Type("");
    EXPECT_FALSE(fx::Enabled(page, IDC_NEXT));
    EXPECT_EQ(0, LabelKB(page));

    // Typing stops where the target folder's buffer ends.
    EXPECT_EQ(299, (int)fx::Ask(GetDlgItem(page, IDC_TARGET_EDIT), EM_GETLIMITTEXT, 0, 0));

    fx::PressEscape(page);
    ExpectAbandoned();
}

TEST_F(WizardPages, WeiterCommitsTheTypedFolderUnlessItHoldsAnInstallLog)
{
    std::string old = fx::Fresh("old", "C:\\kovra-test\\");
    old.erase(old.size() - 1);  // typed without the closing backslash
    ASSERT_TRUE(CloseHandle(CreateFileA((old + "\\deinst.log").c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL)));
    Type(old);
    fx::Click(page, IDC_NEXT);
    fx::MessageBox box;
    ASSERT_TRUE(fx::WaitMessageBox(app, &box));
    EXPECT_EQ("In dieses Verzeichnis wurde bereits ein Programm installiert!\n"
              "Bitte w\xE4hlen Sie ein anderes Verzeichnis.", box.text);
    EXPECT_EQ("Mitteilung", box.caption);
    EXPECT_EQ(page, box.owner);
    fx::Answer(box);
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_EQ(old, fx::Text(page, IDC_TARGET_EDIT));

    // The refused folder was committed with its backslash: going back and
    // forth shows it, and drops what was typed since.
    Type("E:\\Getippt");
    fx::Click(page, IDC_BACK);
    HWND welcome = fx::WaitPage(app, WelcomeIds);
    ASSERT_TRUE(welcome != NULL);
    fx::Click(welcome, IDC_NEXT);
    page = fx::WaitPage(app, TargetIds);
    ASSERT_TRUE(page != NULL);
    EXPECT_EQ(old + "\\", fx::Text(page, IDC_TARGET_EDIT));

    // A typed folder gets its backslash and no product name.
    Type("D:\\Spiele");
    HWND confirm = ToConfirmPage();
    ASSERT_TRUE(confirm != NULL);
    EXPECT_EQ("D:\\Spiele\\", fx::Text(confirm, IDC_TARGET_DISPLAY));
    EXPECT_EQ("Klicken Sie auf INSTALL, um die Installation zu starten.", fx::Text(confirm, IDC_CONFIRM_TEXT));
    EXPECT_TRUE(HasChildText(confirm, "Ben\xF6tiger Speicher:"));
    EXPECT_EQ("INSTALL", fx::Text(confirm, IDC_NEXT));
    EXPECT_EQ(std::to_string(needed) + " KB", fx::Text(confirm, IDC_SPACE_NEEDED));
    EXPECT_NEAR((double)HostFreeKB("D:\\"), (double)LabelKB(confirm), 1024.0 * 1024);
    EXPECT_EQ("Freier Platz auf D:\\", fx::Text(confirm, IDC_FREE_CAPTION));
    EXPECT_TRUE(fx::Enabled(confirm, IDC_NEXT));
    page = BackToTargetPage(confirm);
    ASSERT_TRUE(page != NULL);
    EXPECT_EQ("D:\\Spiele\\", fx::Text(page, IDC_TARGET_EDIT));

    // The confirmation page shows 35 characters whole and shortens longer
    // paths to their first and last 17. What is committed is the full,
    // plain path: one folder has one name in the log, the links and the entry.
    struct Shown {
        const char* path;
        const char* display;
        const char* committed;  // NULL: the path as typed
    } shown[] = {
        { "C:\\Programme\\Kovra Rendo Cup\\", "C:\\Programme\\Kovra Rendo Cup\\" },
        { "C:\\Spiele\\Sammlung\\Rennen\\Ordner12\\", "C:\\Spiele\\Sammlung\\Rennen\\Ordner12\\" },
        { "C:\\Spiele\\Sammlung\\Rennen\\Ordner123\\", "C:\\Spiele\\Sammlun...Rennen\\Ordner123\\" },
        { "D:\\Programme\\Spielesammlung\\Rennen\\Neu\\", "D:\\Programme\\Spie...mlung\\Rennen\\Neu\\" },
        { "C:\\P9\\..\\Kovra9", "C:\\Kovra9\\", "C:\\Kovra9\\" },
        { "C:\\Spiele/Neu\\\\.\\..\\..\\..\\Rennen", "C:\\Rennen\\", "C:\\Rennen\\" },
    };
    const size_t lengths[] = { 29, 35, 36, 39 };
    for (size_t i = 0; i < sizeof shown / sizeof shown[0]; ++i) {
        SCOPED_TRACE(shown[i].path);
        if (i < 4)
            ASSERT_EQ(lengths[i], strlen(shown[i].path));
        Type(shown[i].path);
        confirm = ToConfirmPage();
        ASSERT_TRUE(confirm != NULL);
        EXPECT_EQ(shown[i].display, fx::Text(confirm, IDC_TARGET_DISPLAY));
        page = BackToTargetPage(confirm);
        ASSERT_TRUE(page != NULL);
        EXPECT_EQ(shown[i].committed ? shown[i].committed : shown[i].path, fx::Text(page, IDC_TARGET_EDIT));
    }

    // A name that ends in a dot or a blank, and a path that names a file,
    // are refused with the folder error; the page stays.
    ASSERT_TRUE(fx::WriteWhole("C:\\kovra-test\\datei", "x"));
    for (const char* refused : { "C:\\Spiele\\Neu.", "C:\\Spiele\\Neu \\Rennen", "C:\\kovra-test\\datei\\" }) {
        SCOPED_TRACE(refused);
        Type(refused);
        fx::Click(page, IDC_NEXT);
        ASSERT_TRUE(fx::WaitMessageBox(app, &box));
        EXPECT_EQ("Der gew\xE4hlte Pfad konnte nicht angelegt werden.", box.text);
        EXPECT_EQ("Fehler", box.caption);
        fx::Answer(box);
        EXPECT_TRUE(IsWindowVisible(page));
    }
    DeleteFileA("C:\\kovra-test\\datei");

    // A path that would not fit the target folder with its backslash is
    // never committed, however it got into the edit control.
    std::string tooLong = "C:\\" + std::string(296, 'x');
    Type(tooLong);
    EXPECT_FALSE(fx::Enabled(page, IDC_NEXT));
    fx::Click(page, IDC_NEXT);
    EXPECT_TRUE(fx::WaitPage(app, ConfirmIds, 500) == NULL);
    std::string longest = "C:\\" + std::string(295, 'x');
    Type(longest);
    confirm = ToConfirmPage();
    ASSERT_TRUE(confirm != NULL);
    EXPECT_EQ("C:\\" + std::string(14, 'x') + "..." + std::string(16, 'x') + "\\",
              fx::Text(confirm, IDC_TARGET_DISPLAY));
    page = BackToTargetPage(confirm);
    ASSERT_TRUE(page != NULL);
    EXPECT_EQ(longest + "\\", fx::Text(page, IDC_TARGET_EDIT));

    // "INSTALL" leaves the confirmation page for the progress page.
    Type("D:\\Spiele");
    confirm = ToConfirmPage();
    ASSERT_TRUE(confirm != NULL);
    fx::Click(confirm, IDC_NEXT);
    EXPECT_TRUE(fx::WaitGone(confirm));
    ASSERT_TRUE(fx::WaitMessageBox(app, &box, 60000));
    EXPECT_EQ("Kovra Rendo Cup", box.caption);
    fx::Answer(box);
    EXPECT_EQ(1, fx::WaitExit(&app));
}

// /D= without /S: the wizard, with that folder proposed on the target page.
TEST_F(WizardPages, AFolderGivenOnTheCommandLineIsProposed)
{
    fx::Kill(&app);
    ASSERT_TRUE(fx::Launch(KOVRA_SETUP_EXE, &app, NULL, "/D=D:\\Vorschlag Neu"));
    HWND welcome = fx::WaitPage(app, WelcomeIds);
    ASSERT_TRUE(welcome != NULL);
    fx::Click(welcome, IDC_NEXT);
    page = fx::WaitPage(app, TargetIds);
    ASSERT_TRUE(page != NULL);
    EXPECT_EQ("D:\\Vorschlag Neu\\", fx::Text(page, IDC_TARGET_EDIT));
}

TEST_F(WizardPages, TheFolderBrowserCommitsTheChosenFolderWithTheProductName)
{
    ASSERT_TRUE(CreateDirectoryA("D:\\Spiele", NULL) || GetLastError() == ERROR_ALREADY_EXISTS);

    // Cancelling keeps the committed folder and drops what was typed.
    Type("E:\\Getippt");
    fx::Click(page, IDC_BROWSE);
    HWND browser = fx::WaitDialog(app, BrowserIds);
    ASSERT_TRUE(browser != NULL);
    EXPECT_EQ(page, GetWindow(browser, GW_OWNER));
    EXPECT_EQ("Bitte w\xE4hlen Sie den Zielpfad:", fx::Text(browser, BrowserTitle));
    fx::Click(browser, IDCANCEL);
    ASSERT_TRUE(fx::WaitGone(browser));
    EXPECT_EQ(DefaultTarget, fx::Text(page, IDC_TARGET_EDIT));
    EXPECT_TRUE(fx::Enabled(page, IDC_NEXT));

    struct Choice {
        const char* drive;
        const char* folder;  // NULL: the drive itself
        const char* target;
        bool enabled;
        const char* caption;
    } choices[] = {
        { "(S:)", NULL, "S:\\Kovra Rendo Cup\\", false, "Freier Platz auf S:\\" },
        { "(F:)", NULL, "F:\\Kovra Rendo Cup\\", false, "Freier Platz auf F:\\" },
        { "(D:)", NULL, "D:\\Kovra Rendo Cup\\", true, "Freier Platz auf D:\\" },
        { "(D:)", "Spiele", "D:\\Spiele\\Kovra Rendo Cup\\", true, "Freier Platz auf D:\\" },
    };
    for (const Choice& choice : choices) {
        SCOPED_TRACE(choice.target);
        Type("E:\\Getippt");
        fx::Click(page, IDC_BROWSE);
        browser = fx::WaitDialog(app, BrowserIds);
        ASSERT_TRUE(browser != NULL);
        HWND tree = GetDlgItem(browser, BrowserTree);
        HTREEITEM desktop = fx::TreeChild(tree, NULL, "Desktop");
        HTREEITEM computer = fx::TreeChild(tree, desktop, "My Computer");
        HTREEITEM item = fx::TreeChild(tree, computer, choice.drive);
        if (choice.folder)
            item = fx::TreeChild(tree, item, choice.folder);
        ASSERT_TRUE(item != NULL);
        ASSERT_TRUE(fx::TreeSelect(tree, item));
        fx::Click(browser, IDOK);
        ASSERT_TRUE(fx::WaitGone(browser));
        EXPECT_EQ(choice.target, fx::Text(page, IDC_TARGET_EDIT));
        EXPECT_EQ(choice.enabled, fx::Enabled(page, IDC_NEXT));
        EXPECT_EQ(choice.caption, fx::Text(page, IDC_FREE_CAPTION));
        if (choice.target[0] == 'S') {
            // Built afresh on a drive without room, the page opens with
            // "Weiter" disabled.
            fx::Click(page, IDC_BACK);
            HWND welcome = fx::WaitPage(app, WelcomeIds);
            ASSERT_TRUE(welcome != NULL);
            fx::Click(welcome, IDC_NEXT);
            page = fx::WaitPage(app, TargetIds);
            ASSERT_TRUE(page != NULL);
            EXPECT_FALSE(fx::Enabled(page, IDC_NEXT));
            EXPECT_EQ(1024, LabelKB(page));
        }
    }

    // The browsed folder is committed at once: the confirmation page shows
    // it, and "Abbrechen" there abandons the run.
    HWND confirm = ToConfirmPage();
    ASSERT_TRUE(confirm != NULL);
    EXPECT_EQ("D:\\Spiele\\Kovra Rendo Cup\\", fx::Text(confirm, IDC_TARGET_DISPLAY));
    fx::Click(confirm, IDC_CANCEL);
    ExpectAbandoned();
    EXPECT_FALSE(fx::Exists("D:\\Spiele\\Kovra Rendo Cup"));
}

// Exactly as much free space as needed is enough, on both pages and in the
// set-up as well as after typing: a copy of the program whose payload needs
// the 8192 KB that T: has.
TEST(ExactSpace, EqualFreeSpaceIsEnough)
{
    std::string payload(3072 << 10, 'p');
    ASSERT_TRUE(fx::CopyWithPayload(KOVRA_SETUP_EXE, "C:\\exact.exe", payload.data(), (DWORD)payload.size()));
    fx::App app;
    ASSERT_TRUE(fx::Launch("C:\\exact.exe", &app));
    HWND welcome = fx::WaitPage(app, WelcomeIds);
    ASSERT_TRUE(welcome != NULL);
    fx::Click(welcome, IDC_NEXT);
    HWND page = fx::WaitPage(app, TargetIds);
    ASSERT_TRUE(page != NULL);
    fx::SetText(page, IDC_TARGET_EDIT, "T:\\Spiele");
    EXPECT_EQ("8192 KB", fx::Text(page, IDC_SPACE_NEEDED));
    EXPECT_EQ("8192 KB", fx::Text(page, IDC_FREE_SPACE));
    EXPECT_TRUE(fx::Enabled(page, IDC_NEXT));
    fx::Click(page, IDC_NEXT);
    HWND confirm = fx::WaitPage(app, ConfirmIds);
    ASSERT_TRUE(confirm != NULL);
    EXPECT_TRUE(fx::Enabled(confirm, IDC_NEXT));
    fx::Click(confirm, IDC_BACK);
    page = fx::WaitPage(app, TargetIds);
    ASSERT_TRUE(page != NULL);
    EXPECT_TRUE(fx::Enabled(page, IDC_NEXT));
    fx::Kill(&app);
}

}  // namespace
