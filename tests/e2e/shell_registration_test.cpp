// Complete runs of setup.exe and what they register with the shell: the
// install log's records, the Start-menu shortcuts, the uninstall entry, and
// on Wine's win31 setting the Program Manager group. Each run takes the real
// payload through the whole timeline, so each test is a few runs at most.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/wine/engine_fixture.h"
#include "uidriver.h"

namespace {

const int WelcomeIds[] = { IDC_WELCOME_TEXT, 0 };
const int TargetIds[] = { IDC_TARGET_EDIT, IDC_BROWSE, 0 };
const int ConfirmIds[] = { IDC_TARGET_DISPLAY, IDC_CONFIRM_TEXT, 0 };
const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZKKovraRendoCup_V1";
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\setup.exe";

// The Windows version Wine reports to setup.exe alone.
void SetWindowsVersion(const char* version)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, kAppDefaults, &key));
    RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE*)version, (DWORD)strlen(version) + 1);
    RegCloseKey(key);
}

std::string EntryText(const char* name)
{
    char value[600] = "<absent>";
    DWORD size = sizeof value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, name, NULL, NULL, (BYTE*)value, &size);
        RegCloseKey(key);
    }
    return value;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0, end;
    while ((end = text.find("\r\n", start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The log's records other than the payload's files (SD, NC), in order.
std::vector<std::string> ShellRecords(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& line : lines)
        if (line.compare(0, 3, "SD ") != 0 && line.compare(0, 3, "NC ") != 0)
            out.push_back(line.compare(0, 3, "ID ") == 0 ? "ID" : line);
    return out;
}

// setup.exe with a small game of its own as payload; keeps its name, which
// Wine's per-program version setting goes by.
const char kSetupCopy[] = "C:\\kovra-e2e\\setup.exe";

const char kBrokenCopy[] = "C:\\kovra-e2e\\broken\\setup.exe";

class ShellRegistration : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fx::Bytes payload = fx::Szdd(fx::Archive({ { "kovra.exe", fx::Filler(30000, 1) },
                                                   { "data\\level1.dat", fx::Filler(20000, 2) },
                                                   { "uninst.exe", fx::Filler(8000, 3) } }));
        CreateDirectoryA("C:\\kovra-e2e", NULL);
        copied = fx::CopyWithPayload(KOVRA_SETUP_EXE, kSetupCopy, payload.data(), (DWORD)payload.size());
        // A game whose fourth file would land outside the target folder:
        // extraction stops there, after folders and files were made.
        fx::Bytes broken = fx::Szdd(fx::Archive({ { "kovra.exe", fx::Filler(30000, 1) },
                                                  { "data\\level1.dat", fx::Filler(20000, 2) },
                                                  { "uninst.exe", fx::Filler(8000, 3) },
                                                  { "..\\..\\escape.txt", "x" } }));
        CreateDirectoryA("C:\\kovra-e2e\\broken", NULL);
        brokenCopied = fx::CopyWithPayload(KOVRA_SETUP_EXE, kBrokenCopy, broken.data(), (DWORD)broken.size());
    }
    void SetUp() override { ASSERT_TRUE(copied); }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kAppDefaults);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
        fx::RemoveTree(fx::ProgramsFolder() + "\\Kovra Rendo Cup");
        fx::RemoveTree("C:\\Spiele");
    }
    // One run of setup.exe through every page into target; returns the
    // text of the closing box.
    std::string Install(const std::string& target, const char* exe = kSetupCopy)
    {
        fx::App app;
        if (!fx::Launch(exe, &app))
            return "<no start>";
        std::string result = "<no box>";
        HWND page = fx::WaitPage(app, WelcomeIds);
        if (page) {
            fx::Click(page, IDC_NEXT);
            page = fx::WaitPage(app, TargetIds);
        }
        if (page) {
            fx::SetText(page, IDC_TARGET_EDIT, target.c_str());
            fx::Click(page, IDC_NEXT);
            page = fx::WaitPage(app, ConfirmIds);
        }
        if (page) {
            fx::Click(page, IDC_NEXT);
            fx::MessageBox box;
            if (fx::WaitMessageBox(app, &box, 60000)) {
                result = box.text;
                fx::Answer(box);
            }
        }
        EXPECT_EQ(1, fx::WaitExit(&app, 30000));
        return result;
    }
    void ExpectShortcutsAndEntry(const std::string& target)
    {
        std::string menu = fx::ProgramsFolder() + "\\Kovra Rendo Cup";
        std::vector<std::string> records = { "ID",
                                             "CI " + menu,
                                             "CL " + menu + "\\Kovra Rendo Cup.lnk",
                                             "CL " + menu + "\\Entferne Kovra Rendo Cup.lnk",
                                             "RK ZKKovraRendoCup_V1",
                                             "PN Kovra Rendo Cup" };
        std::vector<std::string> lines = Lines(fx::ReadOr(target + "deinst.log"));
        EXPECT_EQ(records, ShellRecords(lines));
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "NC kovra.exe"));
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "NC uninst.exe"));
        EXPECT_TRUE(fx::Exists(target + "kovra.exe"));
        EXPECT_TRUE(fx::Exists(target + "uninst.exe"));
        std::vector<std::string> links = fx::ListTree(menu);
        ASSERT_EQ(2u, links.size());
        EXPECT_EQ(0u, links[0].find("Entferne Kovra Rendo Cup.lnk ("));
        EXPECT_EQ(0u, links[1].find("Kovra Rendo Cup.lnk ("));
        EXPECT_EQ("Entferne Kovra Rendo Cup", EntryText("DisplayName"));
        EXPECT_EQ("\"" + target + "uninst.exe\"", EntryText("UninstallString"));  // the path has blanks
    }

    static bool copied;
    static bool brokenCopied;
};

bool ShellRegistration::copied = false;
bool ShellRegistration::brokenCopied = false;

TEST_F(ShellRegistration, Windows98AndXPGetShortcutsAndOneEntryNamingTheLastFolder)
{
    SetWindowsVersion("win98");
    ASSERT_EQ("Installation erfolgreich.", Install("C:\\Spiele\\Erste Wahl"));
    ExpectShortcutsAndEntry("C:\\Spiele\\Erste Wahl\\");

    SetWindowsVersion("winxp");
    ASSERT_EQ("Installation erfolgreich.", Install("C:\\Spiele\\Kovra Rendo Cup"));
    ExpectShortcutsAndEntry("C:\\Spiele\\Kovra Rendo Cup\\");
    // Still one entry, now naming the second folder (checked above): the
    // two texts and the nine details, none of the first install's left over.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_READ, &key));
    DWORD values = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    EXPECT_EQ(11u, values);
}

TEST_F(ShellRegistration, Windows31GetsAProgramManagerGroupAndNoEntry)
{
    SetWindowsVersion("win31");
    fx::ProgmanServer progman;
    ASSERT_TRUE(progman.registered());
    ASSERT_EQ("Installation erfolgreich.", Install("C:\\Spiele\\Kovra Rendo Cup"));

    std::vector<std::string> records = { "ID", "PG Kovra Rendo Cup", "PN Kovra Rendo Cup" };
    EXPECT_EQ(records, ShellRecords(Lines(fx::ReadOr("C:\\Spiele\\Kovra Rendo Cup\\deinst.log"))));
    std::vector<std::string> sent = {
        fx::Command("[DeleteGroup(\x1CKovra Rendo Cup\x1C)]"),
        fx::Command("[CreateGroup(\x1CKovra Rendo Cup\x1C)]"),
        fx::Command("[ShowGroup(\x1CKovra Rendo Cup\x1C,1)]"),
        fx::Command("[AddItem(\x1C" "C:\\Spiele\\Kovra Rendo Cup\\uninst.exe\x1C,\x1C" "Entferne Kovra Rendo Cup\x1C)]"),
    };
    EXPECT_EQ(sent, progman.commands());
    EXPECT_EQ("<absent>", EntryText("UninstallString"));
    EXPECT_FALSE(fx::Exists(fx::ProgramsFolder() + "\\Kovra Rendo Cup"));
}

TEST_F(ShellRegistration, AnAbandonedRunLeavesTheMachineAsItWas)
{
    ASSERT_TRUE(brokenCopied);
    fx::MakeFolders("C:\\Spiele");
    fx::WriteWhole("C:\\Spiele\\notizen.txt", "mine");
    std::vector<std::string> drive = fx::ListTree("C:\\Spiele");
    std::vector<std::string> menu = fx::ListTree(fx::ProgramsFolder());
    ASSERT_EQ("Installation abgebrochen.", Install("C:\\Spiele\\Kovra\\Rendo Cup", kBrokenCopy));
    EXPECT_EQ(drive, fx::ListTree("C:\\Spiele"));
    EXPECT_EQ(menu, fx::ListTree(fx::ProgramsFolder()));
    EXPECT_EQ("<absent>", EntryText("UninstallString"));
}

}  // namespace
