// uninst.exe end to end: a game installed through the wizard, then removed
// the way a user or an administrator starts the uninstaller. Afterwards the
// drive, the Start menu, the uninstall list and the Program Manager group
// are as they were before the install, unless the case says otherwise.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <memory>

#include "../wine/engine_fixture.h"
#include "engine/resfile.h"
#include "support/stream.h"
#include "install_run.h"

namespace {

const char Root[] = "C:\\kovra-un";
const char Target[] = "C:\\kovra-un\\Spiele\\Kovra Rendo Cup";  // two levels new, one there
const char Caption[] = "Entferne Kovra Rendo Cup";
const char Question[] =
    "Wollen Sie Kovra Rendo Cup und alle zugeh\xF6rigen Dateien von Ihrem Computer entfernen?";
const char Complete[] = "Kovra Rendo Cup wurde vollst\xE4ndig entfernt.";
const char Stopped[] = "Die Datei deinst.log ist besch\xE4" "digt. Kovra Rendo Cup wurde nicht vollst\xE4ndig entfernt.";
const char InUse[] = "Kovra Rendo Cup konnte nicht vollst\xE4ndig entfernt werden, weil noch Dateien benutzt werden.\n"
                     "Beenden Sie Kovra Rendo Cup und starten Sie die Deinstallation noch einmal.";
const char FolderKept[] =
    "Kovra Rendo Cup wurde entfernt.\nDer Ordner C:\\kovra-un\\Spiele\\Kovra Rendo Cup enth\xE4lt noch "
    "Dateien, die nicht von der Installation stammen, und wurde nicht gel\xF6scht.";

// Where the build puts a program of the Windows tree: beside this test, the
// uninstaller in programs\.
std::string BuildFile(const char* name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    *strrchr(path, '\\') = '\0';
    return std::string(path) + "\\" + name;
}

// A group exists while the last command about it was not DeleteGroup.
bool GroupPresent(const fx::ProgmanServer* progman)
{
    if (!progman)
        return false;
    std::vector<std::string> sent = progman->commands();
    return !sent.empty() && sent.back().compare(0, 13, "[DeleteGroup(") != 0;
}

struct Machine {
    std::vector<std::string> drive, menu, keys;
    bool group;
    bool operator==(const Machine& o) const
    {
        return drive == o.drive && menu == o.menu && keys == o.keys && group == o.group;
    }
};

void PrintTo(const Machine& m, std::ostream* os)
{
    *os << ::testing::PrintToString(m.drive) << " menu " << ::testing::PrintToString(m.menu) << " keys "
        << ::testing::PrintToString(m.keys) << " group " << m.group;
}

Machine Snapshot(const fx::ProgmanServer* progman)
{
    return { fx::ListTree(Root), fx::ListTree(fx::ProgramsFolder()), fx::UninstallKeys(), GroupPresent(progman) };
}

// The copy runs on for a moment after the first process has ended.
bool Becomes(const Machine& expected, const fx::ProgmanServer* progman)
{
    for (int i = 0; i < 100 && !(Snapshot(progman) == expected); ++i)
        Sleep(50);
    return Snapshot(progman) == expected;
}

// A visible box with this caption, whichever process shows it.
HWND WaitBox(const char* caption, DWORD timeoutMs = 20000)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20)) {
        HWND box = FindWindowA("#32770", caption);
        if (box && IsWindowVisible(box))
            return box;
    }
    return NULL;
}

std::string AnswerBox(const char* caption, int button)
{
    HWND box = WaitBox(caption);
    if (!box)
        return "<no box>";
    std::string text = fx::Text(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, button, 0);
    fx::WaitGone(box);
    return text;
}

// The copies' folders and files in the temporary folder, by name.
std::vector<std::string> Copies()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::vector<std::string> copies;
    for (const std::string& name : fx::ListTree(temp, fx::TreePlain))
        if (name.compare(0, 3, "kvu") == 0)
            copies.push_back(name);
    return copies;
}

// Nobody but SYSTEM, the administrators and the folder's owner is let in.
// Windows keeps the copy's protected DACL of the first two. Wine 8.0 keeps
// no DACL: it reads one back from the Unix mode, drwxr-x--- here, as SYSTEM
// and the owner, unprotected; a folder made without the DACL (drwxr-xr-x)
// also lets Everyone read.
bool AdminsOnly(const std::string& folder)
{
    PSID owner;
    PACL dacl;
    PSECURITY_DESCRIPTOR descriptor;
    if (GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, NULL, &dacl, NULL, &descriptor) != ERROR_SUCCESS)
        return false;
    bool only = dacl && dacl->AceCount > 0;   // no DACL at all lets everyone in
    for (WORD i = 0; only && i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace;
        only = GetAce(dacl, i, (void**)&ace) && ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
               (IsWellKnownSid(&ace->SidStart, WinLocalSystemSid) ||
                IsWellKnownSid(&ace->SidStart, WinBuiltinAdministratorsSid) || EqualSid(&ace->SidStart, owner));
    }
    LocalFree(descriptor);
    return only;
}

// Every copy in the temporary folder is named for deletion at the next
// start: in the registry on NT, in wininit.ini on Windows 9x. On NT the
// folders of the copies not in earlier admit only administrators.
bool CopiesMarkedForDeletion(const std::vector<std::string>& earlier, bool nt)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string marks(65536, '\0');
    DWORD size = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        size = (DWORD)marks.size();
        if (RegQueryValueExA(key, "PendingFileRenameOperations", NULL, NULL, (BYTE*)&marks[0], &size) != ERROR_SUCCESS)
            size = 0;
        RegCloseKey(key);
    }
    marks.resize(size);
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    marks += fx::ReadOr(std::string(windows) + "\\wininit.ini", "");
    CharUpperBuffA(&marks[0], (DWORD)marks.size());
    std::vector<std::string> copies = Copies();
    for (std::string name : copies) {
        if (nt && fx::IsFolder(temp + name) && std::find(earlier.begin(), earlier.end(), name) == earlier.end() &&
            !AdminsOnly(temp + name))
            return false;
        CharUpperBuffA(&name[0], (DWORD)name.size());
        if (marks.find(name) == std::string::npos)
            return false;
    }
    return !copies.empty();
}

// SilentBesideSetup: /S while a setup stands on its first page.
// LockHeldElsewhere: from the item while another program holds the lock.
enum Start { ViaUninstallList, ViaItem, Silent, HandTypedCopy, SilentBesideSetup, LockHeldElsewhere };
// What happens to the installed game before the uninstaller runs.
// InTheGamesPlaces: files of the user's stood where the game's go.
// DataIsALink: data\ replaced by a link to a folder outside with a
// level1.dat of the user's. FilesAreLinks: kovra.exe and data\level2.dat
// replaced by links to files of the user's outside, the first read-only.
// AnotherUser: the uninstaller runs as a user whose Programs folder lies in
// another profile than the installing user's.
enum Change { Nothing, UserFiles, HoldFile, ReadOnlyFile, InTheGamesPlaces, DataIsALink, FilesAreLinks, AnotherUser };

// Programs in HKCU's shell folders and USERPROFILE, as another user's.
void BecomeUser(const std::string& programs, const std::string& profile)
{
    HKEY key;
    RegOpenKeyExA(HKEY_CURRENT_USER, fx::ShellFolders, 0, KEY_SET_VALUE, &key);
    RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE*)programs.c_str(), (DWORD)programs.size() + 1);
    RegCloseKey(key);
    SetEnvironmentVariableA("USERPROFILE", profile.c_str());
}

struct Case {
    const char* name;
    const char* version;   // Windows version Wine reports to every program but this test
    Start start;
    int answer;            // the question's answer; 0 with /S
    Change change;
    const char* added;     // lines put into the log before its PN line
    int exitCode;          // -1: started by Wine's uninstaller, whose own code tells nothing
    const char* closing;   // the last box's text, NULL for none
    const char* reports;   // how "ver" begins under that version; NULL: not checked
    const char* typed;     // the folder typed on the target page; NULL: Target
    const char* unattended;  // switches of an install without the wizard; NULL: the wizard
};

const char Hostile[] = "CL C:\\kovra-un\\victim.txt\r\nSD C:\\kovra-un\\victimdir\r\nRK OtherApp\r\n";

const Case Cases[] = {
    { "RoundTripNT", NULL, ViaUninstallList, IDYES, Nothing, "", -1, Complete },
    // Every Windows that Wine presents, on the path the start-up checks give
    // it: the Program Manager group below 4.0, links and the entry from 4.0 on.
    { "RoundTrip31", "win31", ViaItem, IDYES, Nothing, "", 0, Complete, "Microsoft Windows 3.10." },
    { "RoundTrip95", "win95", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 4.0." },
    { "RoundTrip98", "win98", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 4.10." },
    { "RoundTripMe", "winme", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 4.90." },
    { "RoundTripNT4", "nt40", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 4.0.1381" },
    { "RoundTrip2000", "win2k", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 5.0." },
    { "RoundTripXP", "winxp", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 5.1." },
    { "RoundTripVista", "vista", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 6.0." },
    { "RoundTrip7", "win7", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 6.1." },
    { "RoundTrip10", "win10", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 10.0." },
    // Wine 8.0 knows no Windows 11 and presents its default instead: skipped there.
    { "RoundTrip11", "win11", ViaUninstallList, IDYES, Nothing, "", -1, Complete, "Microsoft Windows 10.0.22" },
    { "No", NULL, ViaItem, IDNO, Nothing, "", 1, NULL },
    { "UserFilesStay", NULL, ViaItem, IDYES, UserFiles, "", 2, FolderKept },
    { "Silent", NULL, Silent, 0, Nothing, "", 0, NULL },
    { "HostileRecordsTouchNothing", NULL, Silent, 0, Nothing, Hostile, 0, NULL },
    // A damaged log changes nothing at all.
    { "WindowsFileRecord", NULL, Silent, 0, Nothing, "WC explorer.exe\r\n", 3, NULL },
    { "IniAndScreenSaverRecords", NULL, ViaItem, IDYES, Nothing, "IN [win.ini][windows][load]\r\nIS\r\n", 3, Stopped },
    { "RecordAfterPN", NULL, Silent, 0, Nothing, "PN Kovra Rendo Cup\r\n", 3, NULL },
    { "HandTypedCopySwitch", NULL, HandTypedCopy, 0, Nothing, "", 3, NULL },
    // A file in use keeps the log, the entry and the link for a second run.
    { "FileInUse", NULL, ViaItem, IDYES, HoldFile, "", 4, InUse },
    { "ReadOnlyFile", NULL, Silent, 0, ReadOnlyFile, "", 0, NULL },
    // What was in the game's places comes back, another program's uninstaller too.
    { "UsersFilesComeBack", NULL, Silent, 0, InTheGamesPlaces, "", 2, NULL },
    // Nothing goes through the link. 32-bit Wine's RemoveDirectoryA refuses
    // a host link to a folder that holds files, so the target keeps the
    // link; wine64's removes the link itself.
    { "DataIsALink", NULL, Silent, 0, DataIsALink, "", 2, NULL },
    // Wine's DeleteFileA deletes what a file link points to: the links stay.
    { "FilesAreLinks", NULL, Silent, 0, FilesAreLinks, "", 2, NULL },
    // Another administrator removes the game: the installing user's links go.
    { "AnotherUsersUninstall", NULL, Silent, 0, AnotherUser, "", 0, NULL },
    // Installed without a window: the same files, log, entry and links as
    // the wizard's, and removed as they are.
    { "UnattendedInstall", NULL, Silent, 0, Nothing, "", 0, NULL, NULL, NULL,
      "/S /LOG=C:\\kovra-un-setup\\bericht.txt /D=C:\\kovra-un\\Spiele\\Kovra Rendo Cup" },
    // Typed with "..", the folder is committed as the uninstaller names it.
    { "DotDotInTheTypedPath", NULL, Silent, 0, Nothing, "", 0, NULL, NULL,
      "C:\\kovra-un\\Spiele\\x\\..\\Kovra Rendo Cup" },
    // One setup or uninstaller at a time.
    { "NotWhileASetupRuns", NULL, SilentBesideSetup, 0, Nothing, "", 1, NULL },
    { "NotWhileAnotherHoldsTheLock", NULL, LockHeldElsewhere, 0, Nothing, "", 1,
      "Es l\xE4uft bereits ein Setup oder eine Deinstallation von Kovra Rendo Cup.\n"
      "Bitte warten Sie, bis es beendet ist." },
};

class UninstallFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        fx::Bytes uninstaller = fx::ReadOr(BuildFile("programs\\uninst.exe"));
        fx::Bytes payload = fx::Szdd(fx::Archive({ { "uninst.exe", uninstaller },
                                                   { "kovra.exe", fx::Filler(30000, 1) },
                                                   { "data\\level1.dat", fx::Filler(20000, 2) },
                                                   { "data\\level2.dat", fx::Filler(9000, 3) } }));
        CreateDirectoryA("C:\\kovra-un-setup", NULL);
        copied = fx::CopyWithPayload(KOVRA_SETUP_EXE, Setup, payload.data(), (DWORD)payload.size());
        // This test itself keeps the prefix's version, whatever the case sets.
        HKEY key;
        char self[MAX_PATH];
        GetModuleFileNameA(NULL, self, sizeof self);
        std::string defaults = std::string("Software\\Wine\\AppDefaults\\") + (strrchr(self, '\\') + 1);
        RegCreateKeyA(HKEY_CURRENT_USER, defaults.c_str(), &key);
        RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE*)"winxp", 6);
        RegCloseKey(key);
    }
    void SetUp() override
    {
        ASSERT_TRUE(copied);
        WaitForTheCopy();
        fx::RemoveTree(Root);
        fx::MakeFolders(Root);
        fx::WriteWhole(std::string(Root) + "\\notizen.txt", "mine");
        // "Nein" leaves the game installed: each case starts without it.
        fx::RemoveTree(fx::ProgramsFolder() + "\\Kovra Rendo Cup");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(fx::UninstallList) + "\\ZKKovraRendoCup_V1").c_str());
    }
    void TearDown() override { SetVersion(NULL); }
    // The uninstaller's copy finishes under the product's lock after the
    // first process has ended; while it tries the folder levels, a listing
    // of the target may fail.
    static void WaitForTheCopy()
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < fx::Patience(5000); Sleep(50)) {
            HANDLE lock = OpenMutexA(SYNCHRONIZE, FALSE, "Global\\ZKKovraRendoCup_V1");
            if (!lock)
                break;
            CloseHandle(lock);
        }
    }
    // Wine's Windows version for every program that has none of its own.
    static void SetVersion(const char* version)
    {
        HKEY key;
        RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine", &key);
        if (version)
            RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE*)version, (DWORD)strlen(version) + 1);
        else
            RegDeleteValueA(key, "Version");
        RegCloseKey(key);
    }
    static bool copied;
    static constexpr const char* Setup = "C:\\kovra-un-setup\\setup.exe";
};

bool UninstallFixture::copied = false;

class Uninstall : public UninstallFixture, public ::testing::WithParamInterface<Case> {};

// What Wine's "ver" prints under the version set for other programs.
std::string VersionShown()
{
    const std::string file = std::string(Root) + "\\ver.txt";
    fx::App app;
    if (!fx::Launch("C:\\windows\\system32\\cmd.exe", &app, NULL, ("/c ver > " + file).c_str()))
        return "<no cmd>";
    fx::WaitExit(&app, 30000);
    std::string shown = fx::ReadOr(file);
    DeleteFileA(file.c_str());
    size_t start = shown.find_first_not_of("\r\n");
    return start == std::string::npos ? shown : shown.substr(start);
}

// Windows 3.1 and the 9x line have no NT security and no registry marks.
bool Nt(const char* version)
{
    for (const char* dos : { "win31", "win95", "win98", "winme" })
        if (version && !strcmp(version, dos))
            return false;
    return true;
}

TEST_P(Uninstall, RemovesWhatSetupMade)
{
    const Case& c = GetParam();
    SetVersion(c.version);
    if (c.reports) {
        const std::string shown = VersionShown();
        if (!strcmp(c.version, "win11") && shown.compare(0, strlen(c.reports), c.reports) != 0)
            GTEST_SKIP() << "this Wine does not present Windows 11 (\"" << shown.substr(0, shown.find('\r')) << "\")";
        ASSERT_EQ(0u, shown.compare(0, strlen(c.reports), c.reports)) << shown;
    }
    std::unique_ptr<fx::ProgmanServer> progman(c.version && !strcmp(c.version, "win31") ? new fx::ProgmanServer : NULL);
    const std::string game = std::string(Target) + "\\";
    if (c.added == Hostile) {
        fx::WriteWhole(std::string(Root) + "\\victim.txt", "keep");
        CreateDirectoryA((std::string(Root) + "\\victimdir").c_str(), NULL);
        HKEY other;
        RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(fx::UninstallList) + "\\OtherApp").c_str(), &other);
        RegSetValueExA(other, "UninstallString", 0, REG_SZ, (const BYTE*)"C:\\Other\\uninst.exe", 20);
        RegCloseKey(other);
    }
    const char* const places[] = { "kovra.exe", "data\\level1.dat", "uninst.exe" };
    std::vector<std::string> stamps;
    for (const char* name : places) {
        if (c.change == InTheGamesPlaces && fx::PlantOld(game + name, std::string("mine: ") + name, name == places[0]))
            stamps.push_back(fx::Stamp(game + name));
    }
    Machine before = Snapshot(progman.get());
    const std::vector<std::string> earlier = Copies();

    ASSERT_EQ("Installation erfolgreich.", e2e::Install(Setup, c.typed ? c.typed : Target).closingText);
    if (c.unattended) {
        const Machine wizard = Snapshot(progman.get());
        const std::string log = fx::ReadOr(game + "deinst.log"), entry = fx::EntryValues("ZKKovraRendoCup_V1");
        fx::App again;
        ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &again, NULL, "/S"));
        ASSERT_EQ(0, fx::WaitExit(&again, 30000));
        ASSERT_TRUE(Becomes(before, progman.get()));
        ASSERT_TRUE(fx::Launch(Setup, &again, NULL, c.unattended));
        bool window = false;
        while (WaitForSingleObject(again.info.hProcess, 10) == WAIT_TIMEOUT)
            window = window || FindWindowA("SETCLASS", NULL) || FindWindowA("#32770", NULL);
        EXPECT_EQ(0, fx::WaitExit(&again, 30000));
        EXPECT_FALSE(window);
        EXPECT_EQ(wizard, Snapshot(progman.get()));
        EXPECT_EQ(log, fx::ReadOr(game + "deinst.log"));
        EXPECT_EQ(entry, fx::EntryValues("ZKKovraRendoCup_V1"));
        const std::string report = fx::ReadOr("C:\\kovra-un-setup\\bericht.txt");
        EXPECT_NE(std::string::npos, report.find("Zielordner: " + game + "\r\n"));
        EXPECT_NE(std::string::npos, report.find("Stufe: Deinstallationseintrag\r\n"
                                                 "Ergebnis: Installation erfolgreich (Code 0)\r\n"));
    }
    if (c.change == InTheGamesPlaces) {
        EXPECT_TRUE(fx::Filler(30000, 1) == fx::ReadOr(game + "kovra.exe"));
        EXPECT_EQ(stamps[0], fx::Stamp(game + "~KV00001.ALT"));
    }
    Machine installed = Snapshot(progman.get());
    ASSERT_FALSE(before == installed);
    if (c.change == UserFiles) {
        fx::WriteWhole(game + "spielstand.sav", "saved");
        fx::WriteWhole(game + "data\\eigene.dat", "own");
    }
    HANDLE held = c.change == HoldFile ? CreateFileA((game + "data\\level1.dat").c_str(), GENERIC_READ,
                                                       FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL)
                                       : INVALID_HANDLE_VALUE;
    if (c.change == ReadOnlyFile)
        SetFileAttributesA((game + "kovra.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string outside = std::string(Root) + "\\outside";
    if (c.change == DataIsALink) {
        fx::RemoveTree(game + "data");
        fx::MakeFolders(outside);
        fx::WriteWhole(outside + "\\level1.dat", "mine");
        ASSERT_TRUE(fx::Link(outside, game + "data"));
    }
    std::string outsideStamp;
    if (c.change == FilesAreLinks) {
        fx::MakeFolders(outside);
        fx::PlantOld(outside + "\\old.txt", "mine", true);
        outsideStamp = fx::Stamp(outside + "\\old.txt");
        fx::WriteWhole(outside + "\\new.txt", "mine too");
        DeleteFileA((game + "kovra.exe").c_str());
        DeleteFileA((game + "data\\level2.dat").c_str());
        ASSERT_TRUE(fx::Link(outside + "\\old.txt", game + "kovra.exe"));
        ASSERT_TRUE(fx::Link(outside + "\\new.txt", game + "data\\level2.dat"));
    }
    std::string log = fx::ReadOr(game + "deinst.log");
    fx::WriteWhole(game + "deinst.log", log.insert(log.rfind("PN "), c.added));
    installed = Snapshot(progman.get());

    fx::App app, setup;
    static const int welcomeIds[] = { IDC_WELCOME_TEXT, 0 };
    if (c.start == SilentBesideSetup) {
        ASSERT_TRUE(fx::Launch(Setup, &setup));
        ASSERT_TRUE(fx::WaitPage(setup, welcomeIds) != NULL);
    }
    const std::string programs = fx::ProgramsFolder();
    char profile[MAX_PATH] = "";
    GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
    if (c.change == AnotherUser)
        BecomeUser("C:\\users\\admin2\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
                   "C:\\users\\admin2");
    HANDLE lock = c.start == LockHeldElsewhere ? CreateMutexA(NULL, FALSE, "Global\\ZKKovraRendoCup_V1") : NULL;
    if (c.start == ViaUninstallList)
        ASSERT_TRUE(fx::Launch("C:\\windows\\system32\\uninstaller.exe", &app, NULL, "--remove ZKKovraRendoCup_V1"));
    else if (c.start == HandTypedCopy)
        ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &app, NULL, ("/C 0 0 " + game).c_str()));
    else
        ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &app, game.c_str(), c.start == Silent || c.start == SilentBesideSetup ? "/s" : NULL));
    if (c.answer)
        EXPECT_EQ(Question, AnswerBox(Caption, c.answer));
    if (c.closing)
        EXPECT_EQ(c.closing, AnswerBox(c.exitCode == 3 ? "Fehler" : Caption, IDOK));
    int code = fx::WaitExit(&app, 30000);
    if (c.exitCode >= 0)
        EXPECT_EQ(c.exitCode, code);
    if (lock)
        CloseHandle(lock);
    if (c.change == AnotherUser)
        BecomeUser(programs, profile);

    if (c.start == SilentBesideSetup)
        fx::Kill(&setup);
    if (c.answer == IDNO || c.exitCode == 3 || c.start == SilentBesideSetup || c.start == LockHeldElsewhere) {
        EXPECT_EQ(installed, Snapshot(progman.get()));
        return;
    }
    if (c.change == HoldFile) {
        // Nothing but the held file and the way to finish is left.
        Sleep(500);
        EXPECT_NE(std::string::npos, fx::ReadOr(game + "deinst.log").find("NC data\\level1.dat\r\n"));
        EXPECT_EQ(std::string::npos, fx::ReadOr(game + "deinst.log").find("NC kovra.exe"));
        EXPECT_TRUE(fx::Exists(fx::ProgramsFolder() + "\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk"));
        EXPECT_EQ(installed.keys, fx::UninstallKeys());
        CloseHandle(held);
        ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &app, NULL, "/S"));
        EXPECT_EQ(0, fx::WaitExit(&app, 30000));
    }
    if (c.change == UserFiles || c.change == DataIsALink || c.change == FilesAreLinks) {
        for (int i = 0; i < 100 && fx::Exists(game + "uninst.exe"); ++i)
            Sleep(50);
        WaitForTheCopy();
        if (c.change == UserFiles) {
            EXPECT_EQ(std::vector<std::string>({ "data\\", "data\\eigene.dat", "spielstand.sav" }), fx::Tree(game));
            EXPECT_EQ("saved", fx::ReadOr(game + "spielstand.sav"));
        } else if (c.change == DataIsALink) {
            // The records below the link are passed over: the link alone is
            // left, or gone as the link.
            const std::vector<std::string> left = fx::Tree(game);
            EXPECT_TRUE(left.empty() || left == std::vector<std::string>({ "data\\" }))
                << ::testing::PrintToString(left);
            EXPECT_EQ("mine", fx::ReadOr(outside + "\\level1.dat"));
        } else {
            // Files and attributes outside as they were; the links stay.
            EXPECT_EQ(std::vector<std::string>({ "data\\", "data\\level2.dat", "kovra.exe" }), fx::Tree(game));
            EXPECT_EQ(outsideStamp, fx::Stamp(outside + "\\old.txt"));
            EXPECT_EQ("mine too", fx::ReadOr(outside + "\\new.txt"));
            // Wine's DeleteFileA would take the files, not the links.
            fx::Unlink(game + "kovra.exe");
            fx::Unlink(game + "data\\level2.dat");
        }
        fx::RemoveTree(std::string(Root) + "\\Spiele");
        fx::RemoveTree(outside);   // after the link to it, which Wine hides once it dangles
    }
    EXPECT_TRUE(Becomes(before, progman.get())) << ::testing::PrintToString(Snapshot(progman.get()))
                                                 << " instead of " << ::testing::PrintToString(before);
    EXPECT_TRUE(CopiesMarkedForDeletion(earlier, Nt(c.version)));
    for (size_t i = 0; i < stamps.size(); ++i)
        EXPECT_EQ(stamps[i], fx::Stamp(game + places[i]));
    if (c.added == Hostile)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(fx::UninstallList) + "\\OtherApp").c_str());
}

INSTANTIATE_TEST_SUITE_P(Cases, Uninstall, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A second install into another folder saves its Start-menu links over the
// first one's: removing the first leaves them and the second's entry, and
// removing the second then takes them.
TEST_F(UninstallFixture, ASecondInstallKeepsItsLinksWhenTheFirstGoes)
{
    Machine before = Snapshot(NULL);
    const std::string second = std::string(Root) + "\\Zweit";
    ASSERT_EQ("Installation erfolgreich.", e2e::Install(Setup, Target).closingText);
    ASSERT_EQ("Installation erfolgreich.", e2e::Install(Setup, second).closingText);
    Machine both = Snapshot(NULL);

    fx::App app;
    ASSERT_TRUE(fx::Launch((std::string(Target) + "\\uninst.exe").c_str(), &app, NULL, "/S"));
    EXPECT_EQ(0, fx::WaitExit(&app, 30000));
    for (int i = 0; i < 100 && fx::Exists(Target); ++i)
        Sleep(50);
    Machine left = Snapshot(NULL);
    EXPECT_FALSE(fx::Exists(Target));
    EXPECT_EQ(both.menu, left.menu);
    EXPECT_EQ(both.keys, left.keys);

    ASSERT_TRUE(fx::Launch((second + "\\uninst.exe").c_str(), &app, NULL, "/S"));
    EXPECT_EQ(0, fx::WaitExit(&app, 30000));
    EXPECT_TRUE(Becomes(before, NULL)) << ::testing::PrintToString(Snapshot(NULL));
}

// An install killed while its files are written out leaves a log without
// its PN line and the 14 MB temp.uni; uninst.exe /S takes all of it away and
// the folder can be chosen again. The demo game, so its removal is timed.
// setup.exe with the demo game and this tree's own uninst.exe (the build's
// payload carries the 32-bit one, which a 64-bit test tree cannot start).
std::string DemoSetupWithOwnUninstaller()
{
    std::vector<fx::Entry> entries;
    ResFileReader* reader = ResFileOpen((std::string(KOVRA_PAYLOAD_DIR_WIN) + "\\payload.uni").c_str());
    EXPECT_TRUE(reader != NULL);
    for (unsigned int i = 0; reader && i < ResFileCount(reader); ++i) {
        fx::Entry entry = { ResFileEntryName(reader, i), "" };
        unsigned int offset = 0, size = 0;
        EXPECT_TRUE(ResFileEntryData(reader, i, &offset, &size) && StreamSeek(ResFileStream(reader), offset));
        entry.data.resize(size);
        if (size)
            EXPECT_EQ(size, StreamRead(ResFileStream(reader), &entry.data[0], size));
        if (entry.name == "uninst.exe")
            entry.data = fx::ReadOr(BuildFile("programs\\uninst.exe"));
        entries.push_back(entry);
    }
    ResFileClose(reader);
    fx::Bytes payload = fx::Szdd(fx::Archive(entries));
    const char* copy = "C:\\kovra-un-setup\\demo.exe";
    EXPECT_TRUE(fx::CopyWithPayload(KOVRA_SETUP_EXE, copy, payload.data(), (DWORD)payload.size()));
    return copy;
}

TEST_F(UninstallFixture, AKilledInstallIsUndoneAndTheFolderTakenAgain)
{
    const std::string demo = DemoSetupWithOwnUninstaller();
    Machine before = Snapshot(NULL);
    const std::string game = std::string(Target) + "\\";
    e2e::InstallRun killed = e2e::Install(demo.c_str(), Target, 80);
    ASSERT_TRUE(killed.reachedProgress);
    ASSERT_TRUE(fx::Exists(game + "temp.uni"));
    ASSERT_EQ(std::string::npos, fx::ReadOr(game + "deinst.log").find("PN "));

    fx::App app;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &app, NULL, "/S"));
    EXPECT_EQ(0, fx::WaitExit(&app, 30000));
    double exited = e2e::MsSince(start);
    EXPECT_TRUE(Becomes(before, NULL)) << ::testing::PrintToString(Snapshot(NULL));
    double gone = e2e::MsSince(start);

    // Killed once the Start-menu entries are made: the log names them too.
    ASSERT_TRUE(e2e::Install(demo.c_str(), Target, 99).reachedProgress);
    ASSERT_TRUE(fx::Exists(fx::ProgramsFolder() + "\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk"));
    ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &app, NULL, "/S"));
    EXPECT_EQ(0, fx::WaitExit(&app, 30000));
    EXPECT_TRUE(Becomes(before, NULL)) << ::testing::PrintToString(Snapshot(NULL));

    ASSERT_EQ("Installation erfolgreich.", e2e::Install(demo.c_str(), Target).closingText);
    QueryPerformanceCounter(&start);
    ASSERT_TRUE(fx::Launch((game + "uninst.exe").c_str(), &app, NULL, "/S"));
    EXPECT_EQ(0, fx::WaitExit(&app, 30000));
    double fullExited = e2e::MsSince(start);
    EXPECT_TRUE(Becomes(before, NULL)) << ::testing::PrintToString(Snapshot(NULL));
    double fullGone = e2e::MsSince(start);

    char figures[300];
    snprintf(figures, sizeof figures,
             "figure: uninstall of the demo game under Wine: %.0f ms to the exit code, %.0f ms until the "
             "folder is gone (killed install: %.0f / %.0f ms; aim: under one second)\n",
             fullExited, fullGone, exited, gone);
    fputs(figures, stdout);
    CreateDirectoryA(BuildFile("figures").c_str(), NULL);
    fx::WriteWhole(BuildFile("figures\\uninstall.txt"), figures);
}

}  // namespace
