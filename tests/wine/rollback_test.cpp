// The rollback on hand-written install logs: every record code, the stops,
// the level removal, and records that must not reach outside their folder,
// through a link, or beyond the lines the run wrote itself.
#include <gtest/gtest.h>

#include "integration/integration.h"
#include "setup/setup_state.h"
#include "undo/log_replay.h"
#include "tests/wine/engine_fixture.h"

using namespace fx;

namespace {

const char kBase[] = "C:\\rb";
const char kTarget[] = "C:\\rb\\Spiele\\Kovra Rendo Cup\\";
const char kEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZKKovraRendoCup_V1";

class Rollback : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&gSetup, 0, sizeof gSetup);
        RemoveTree(kBase);
        MakeFolders(kBase);
        Target(kTarget);
        strcpy(gSetup.windowsDir, "C:\\rb\\win");
        MakeFolders(gSetup.windowsDir);
    }
    void TearDown() override
    {
        CloseLog();
        SetCurrentDirectoryA("C:\\");
        RemoveTree(kBase);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kEntry);
    }
    void Target(const std::string& target)
    {
        strcpy(gSetup.targetPath, target.c_str());
        strcpy(gSetup.log.logPath, (target + "deinst.log").c_str());
        strcpy(gSetup.staging.stagedPath, (target + "temp.un_").c_str());
        strcpy(gSetup.expansion.archivePath, (target + "temp.uni").c_str());
    }
    // Writes the log as the setup leaves it (CR LF lines, PN last) and as
    // the run's own copy; others' lines go into the file only.
    void WriteLog(const std::vector<std::string>& lines, const char* end = "\r\n",
                  const std::vector<std::string>& others = {})
    {
        MakeFolders(gSetup.targetPath);
        std::string text, own;
        for (const std::string& line : lines) {
            text += line + end;
            own += line + "\n";
        }
        for (const std::string& line : others)
            text += line + end;
        WriteWhole(gSetup.log.logPath, text);
        gSetup.log.logOpened = 1;
        gSetup.log.copySize = 0;
        LogKeep(own.data(), own.size());
    }
    std::string T(const char* name) { return std::string(gSetup.targetPath) + name; }
    // The product's uninstall entry as the setup leaves it for this target.
    void OwnEntry()
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, kEntry, &key));
        std::string command = "\"" + T("uninst.exe") + "\"";
        RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE*)command.c_str(), (DWORD)command.size() + 1);
        RegCloseKey(key);
    }
};

// Program Manager's description of the product's group, its item starting program.
std::string Group(const std::string& program)
{
    return "\"Kovra Rendo Cup\",C:\\WINDOWS\\KOVRAREN.GRP,1\r\n\"Entferne Kovra Rendo Cup\",\"" + program + "\",,,0,0,0,0,0\r\n";
}

std::string ProfileText(const char* file, const char* section, const char* key)
{
    char value[100];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, file);
    return value;
}

TEST_F(Rollback, UndoesEveryRecordFromTheLastLineBack)
{
    std::string programs = ProgramsFolder();
    std::string menu = programs + "\\Kovra Rendo Cup";
    MakeFolders(T("data"));
    WriteWhole(T("kovra.exe"), "MZ");
    WriteWhole(T("data\\level.dat"), "1");
    WriteWhole(T("temp.un_"), "SZDD");
    WriteWhole(T("temp.uni"), "archive");
    gSetup.staging.stagedPresent = gSetup.expansion.archivePresent = 1;
    MakeFolders(menu);
    WriteWhole(menu + "\\Kovra Rendo Cup.lnk", "L");
    WriteWhole(menu + "\\Entferne Kovra Rendo Cup.lnk", "L");
    OwnEntry();
    WriteWhole(T("data\\readonly.dat"), "r");
    SetFileAttributesA(T("data\\readonly.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    ProgmanServer progman(true, Group(T("uninst.exe")));

    WriteLog({ "ID 3 0 1 1",
               "NC kovra.exe",
               "SD " + T("data"),
               "NC data\\level.dat",
               "NC data\\readonly.dat",
               "CI " + menu,
               "CL " + menu + "\\Kovra Rendo Cup.lnk",
               "CL " + menu + "\\Entferne Kovra Rendo Cup.lnk",
               "PG Kovra Rendo Cup",
               "RK ZKKovraRendoCup_V1",
               "PN Kovra Rendo Cup" });
    EXPECT_EQ(1, RunRollback());

    // Files before their folders, shortcuts before the menu folder, the log,
    // then the two created levels; the existing level C:\rb stays.
    EXPECT_FALSE(Exists(menu));
    EXPECT_FALSE(Exists("C:\\rb\\Spiele"));
    std::vector<std::string> left = { "win\\" };
    EXPECT_EQ(left, ListTree(kBase));
    EXPECT_EQ(0, gSetup.staging.stagedPresent);
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
    EXPECT_TRUE(gSetup.log.logFile == NULL);

    HKEY entry;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, kEntry, &entry));
    std::vector<std::string> sent = { Command("[DeleteGroup(\x1CKovra Rendo Cup\x1C)]") };
    EXPECT_EQ(sent, progman.commands());
}

TEST_F(Rollback, LinesAddedToTheLogTouchNothingSetupDidNotMake)
{
    std::string menu = ProgramsFolder() + "\\Kovra Rendo Cup";
    MakeFolders(kTarget);
    WriteWhole(T("kovra.exe"), "MZ");
    MakeFolders(menu);
    WriteWhole(menu + "\\Kovra Rendo Cup.lnk", "L");
    OwnEntry();
    WriteWhole("C:\\rb\\victim.txt", "v");
    MakeFolders("C:\\rb\\victimdir");
    const char other[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherApp";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, other, &key));
    RegCloseKey(key);

    WriteWhole(T("spielstand.sav"), "mine");
    // A second install into another folder made the group anew.
    ProgmanServer progman(true, Group("C:\\B\\uninst.exe"));
    WriteLog({ "ID 3 0 1 1", "NC kovra.exe", "CI " + menu, "CL " + menu + "\\Kovra Rendo Cup.lnk",
               "RK ZKKovraRendoCup_V1", "PG Kovra Rendo Cup",
               "CL C:\\rb\\victim.txt", "SD C:\\rb\\victimdir", "RK OtherApp",
               "CL " + menu + "\\..\\..\\victim.lnk", "NC ..\\..\\victim.txt",
               "SD " + T("..\\..\\victimdir"), "CI " + menu + "\\..", "PG Program Manager",
               "PN Kovra Rendo Cup" },
             "\r\n", { "NC spielstand.sav" });  // in scope, but another process's line
    EXPECT_EQ(1, RunRollback());
    EXPECT_TRUE(Exists("C:\\rb\\victim.txt"));
    EXPECT_EQ("mine", ReadOr(T("spielstand.sav")));
    EXPECT_TRUE(IsFolder("C:\\rb\\victimdir"));
    EXPECT_TRUE(progman.commands().empty());
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, other, &key));
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, other);
    // The product's own records are undone all the same.
    EXPECT_FALSE(Exists(T("kovra.exe")));
    EXPECT_FALSE(Exists(menu));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, kEntry, &key));
}

LRESULT CALLBACK PlainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Rollback, ALogWithRecordsTheSetupNeverWritesChangesNothing)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlainWindow;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "KovraPropertiesStandIn";
    RegisterClassA(&windowClass);
    HWND properties = CreateWindowA("KovraPropertiesStandIn", "Eigenschaften von Anzeige", WS_OVERLAPPEDWINDOW,
                                    0, 0, 100, 100, NULL, NULL, GetModuleHandleA(NULL), NULL);
    SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, NULL, 0);
    WriteWhole("C:\\rb\\win\\kovra.tmp", "t");
    WritePrivateProfileStringA("Kovra", "Highscore", "10", "kovrarb.ini");
    const char* const damaged[] = {
        "WC kovra.tmp", "IS", "IS x", "IN [kovrarb.ini][Kovra][Highscore]", "XX kovra.exe", "nc kovra.exe",
        "NC", "NC ", "NCkovra.exe", "ID 3 0 1 1", "ID 3 0 1", "ID 3 0 1 2", "ID 151", "PN Other Game",
        "PN Kovra Rendo Cup",
    };
    MakeFolders(kTarget);
    for (const char* line : damaged) {
        SCOPED_TRACE(line);
        WriteWhole(T("kovra.exe"), "MZ");
        WriteLog({ "ID 3 0 1 1", "NC kovra.exe", line, "PN Kovra Rendo Cup" });
        EXPECT_EQ(0, RunRollback());
        EXPECT_TRUE(Exists(T("kovra.exe")));
        EXPECT_TRUE(Exists(gSetup.log.logPath));
    }
    // A first line that is not a sound ID record, a line after PN.
    const std::vector<std::string> logs[] = { { "NC kovra.exe", "PN Kovra Rendo Cup" },
                                              { "ID 3 0 1 1", "PN Kovra Rendo Cup", "NC kovra.exe" },
                                              { "ID 151", "NC kovra.exe" },
                                              { "ID 3 0 1", "NC kovra.exe" } };
    for (const std::vector<std::string>& log : logs) {
        WriteLog(log);
        EXPECT_EQ(0, RunRollback());
        EXPECT_TRUE(Exists(T("kovra.exe")));
    }
    EXPECT_TRUE(Exists("C:\\rb\\win\\kovra.tmp"));
    EXPECT_EQ("10", ProfileText("kovrarb.ini", "Kovra", "Highscore"));
    EXPECT_TRUE(IsWindow(properties));
    BOOL active = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    EXPECT_TRUE(active);
    DestroyWindow(properties);
    WritePrivateProfileStringA("Kovra", NULL, NULL, "kovrarb.ini");
}

TEST_F(Rollback, NoUndoGoesThroughALink)
{
    // A game folder, the target's parent level and the Start-menu folder,
    // each replaced by a link to a folder outside that holds files of the
    // game's names.
    std::string menu = ProgramsFolder() + "\\Kovra Rendo Cup";
    struct Case {
        const char* what;
        std::string link, outside;
    } cases[] = {
        { "sub-folder", T("data"), "C:\\rb\\outside" },
        { "parent level", "C:\\rb\\Spiele", "C:\\rb\\outside" },
        { "Start-menu folder", menu, "C:\\rb\\outside" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeFolders(kTarget);
        const std::vector<std::string> outside = { "Kovra Rendo Cup.lnk", "Kovra Rendo Cup\\kovra.exe",
                                                   "kovra.exe", "level.dat" };
        for (const std::string& name : outside) {
            MakeFolders(c.outside + "\\Kovra Rendo Cup");
            WriteWhole(c.outside + "\\" + name, "theirs");
        }
        RemoveTree(c.link);
        ASSERT_TRUE(Link(c.outside, c.link));
        WriteLog({ "ID 3 0 1 1", "NC kovra.exe", "SD " + T("data"), "NC data\\level.dat", "CI " + menu,
                   "CL " + menu + "\\Kovra Rendo Cup.lnk", "PN Kovra Rendo Cup" });
        RunRollback();
        for (const std::string& name : outside)
            EXPECT_EQ("theirs", ReadOr(c.outside + "\\" + name)) << name;
        Unlink(c.link);
        RemoveTree(c.outside);
        RemoveTree("C:\\rb\\Spiele");
    }
}

TEST_F(Rollback, FilesThatWereThereGetTheirNamesBack)
{
    // As the extraction leaves them: the user's files under kept names, the
    // game's in their places. One kept file has gone since; one kept name
    // is a link to a file outside.
    ASSERT_TRUE(PlantOld(T("~KV00000.ALT"), "mine", true));
    ASSERT_TRUE(PlantOld(T("data\\~KV00001.ALT"), "my level"));
    std::string stamps[] = { Stamp(T("~KV00000.ALT")), Stamp(T("data\\~KV00001.ALT")) };
    for (const char* name : { "kovra.exe", "data\\level.dat", "readme.txt" })
        WriteWhole(T(name), "game");
    WriteWhole("C:\\rb\\outside.txt", "theirs");
    ASSERT_TRUE(Link("C:\\rb\\outside.txt", T("~KV00003.ALT")));
    // A game file held open keeps its place, and its kept file waits with it.
    HANDLE held = CreateFileA(T("data\\level.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    WriteLog({ "ID 3 0 0 0", "KF ~KV00000.ALT kovra.exe", "NC kovra.exe", "KF ~KV00001.ALT data\\level.dat",
               "NC data\\level.dat", "KF ~KV00002.ALT readme.txt", "NC readme.txt", "KF ~KV00003.ALT stolen.txt" });
    EXPECT_EQ(0, RunRollback());
    EXPECT_EQ("ID 3 0 0 0\r\nKF ~KV00001.ALT data\\level.dat\r\nNC data\\level.dat\r\n", ReadOr(gSetup.log.logPath));
    CloseHandle(held);
    EXPECT_EQ(1, RunRollback());
    EXPECT_EQ(stamps[0], Stamp(T("kovra.exe")));
    EXPECT_EQ(stamps[1], Stamp(T("data\\level.dat")));
    EXPECT_EQ("theirs", ReadOr("C:\\rb\\outside.txt"));
    Unlink(T("~KV00003.ALT"));
    EXPECT_EQ(std::vector<std::string>({ "data\\", "data\\level.dat", "kovra.exe" }), Tree(kTarget));
}

TEST_F(Rollback, WithoutALogOnlyTheTemporaryFilesGo)
{
    MakeFolders(kTarget);
    WriteWhole(T("temp.un_"), "SZDD");
    WriteWhole(T("keep.txt"), "k");
    gSetup.staging.stagedPresent = 1;
    gSetup.staging.levelCount = 2;
    gSetup.staging.createdLevels[0] = gSetup.staging.createdLevels[1] = 1;
    EXPECT_EQ(1, RunRollback());
    EXPECT_EQ(0, gSetup.staging.stagedPresent);
    std::vector<std::string> left = { "Spiele\\", "Spiele\\Kovra Rendo Cup\\", "Spiele\\Kovra Rendo Cup\\keep.txt (1)", "win\\" };
    EXPECT_EQ(left, ListTree(kBase));

    // Empty, the levels that the walk created go all the same (no log took
    // them); the level it found stays.
    Target("C:\\krc1\\krc2\\krc3\\");
    MakeFolders("C:\\krc1\\krc2\\krc3");
    gSetup.staging.levelCount = 3;
    gSetup.staging.createdLevels[0] = 0;
    gSetup.staging.createdLevels[1] = gSetup.staging.createdLevels[2] = 1;
    EXPECT_EQ(1, RunRollback());
    EXPECT_TRUE(IsFolder("C:\\krc1"));
    EXPECT_FALSE(Exists("C:\\krc1\\krc2"));
    RemoveTree("C:\\krc1");
}

TEST_F(Rollback, StreamsAStageLeftOpenAreClosedSoTheirFilesGo)
{
    WriteLog({ "ID 3 0 1 1", "NC kovra.exe", "PN Kovra Rendo Cup" });
    gSetup.staging.stagedFile = StreamOpen(T("temp.un_").c_str(), StreamWriteBinary);
    gSetup.expansion.archiveOut = StreamOpen(T("temp.uni").c_str(), StreamWriteBinary);
    gSetup.extraction.entryFile = StreamOpen(T("kovra.exe").c_str(), StreamWriteBinary);
    ASSERT_TRUE(gSetup.staging.stagedFile && gSetup.expansion.archiveOut && gSetup.extraction.entryFile);
    StreamWriteString(gSetup.extraction.entryFile, "half");
    gSetup.staging.stagedPresent = gSetup.expansion.archivePresent = 1;
    EXPECT_EQ(1, RunRollback());
    EXPECT_TRUE(gSetup.staging.stagedFile == NULL && gSetup.expansion.archiveOut == NULL && gSetup.extraction.entryFile == NULL);
    EXPECT_FALSE(Exists("C:\\rb\\Spiele"));
}

TEST_F(Rollback, ALogThatIsGoneOrEmptyStopsIt)
{
    MakeFolders(kTarget);
    gSetup.log.logOpened = 1;
    EXPECT_EQ(0, RunRollback());
    WriteLog({});
    EXPECT_EQ(0, RunRollback());
    // The file holds a log, but this run wrote none of it.
    WriteLog({}, "\r\n", { "ID 3 0 1 1", "PN Kovra Rendo Cup" });
    EXPECT_EQ(0, RunRollback());
    EXPECT_TRUE(Exists(gSetup.log.logPath));
    EXPECT_TRUE(IsFolder(kTarget));
}

TEST_F(Rollback, OnlyTheLevelsThisRunCreatedGo)
{
    WriteLog({ "ID 3 0 0 1", "PN Kovra Rendo Cup" });
    EXPECT_EQ(1, RunRollback());
    EXPECT_FALSE(Exists(kTarget));
    EXPECT_TRUE(IsFolder("C:\\rb\\Spiele"));

    // Every level created, down from the drive root: all go, deepest first.
    Target("C:\\krc1\\krc2\\krc3\\");
    WriteLog({ "ID 3 1 1 1", "PN Kovra Rendo Cup" });
    EXPECT_EQ(1, RunRollback());
    EXPECT_FALSE(Exists("C:\\krc1"));
}

TEST_F(Rollback, AUsersOwnFileKeepsItsFolderAndTheOnesAbove)
{
    WriteLog({ "ID 3 0 1 1", "NC kovra.exe", "PN Kovra Rendo Cup" });
    WriteWhole(T("kovra.exe"), "MZ");
    WriteWhole(T("spielstand.sav"), "mine");
    EXPECT_EQ(1, RunRollback());
    std::vector<std::string> left = { "Spiele\\", "Spiele\\Kovra Rendo Cup\\", "Spiele\\Kovra Rendo Cup\\spielstand.sav (4)", "win\\" };
    EXPECT_EQ(left, ListTree(kBase));
}

TEST_F(Rollback, ALogWithBareLineFeedsReadsTheSame)
{
    WriteLog({ "ID 3 0 1 1", "NC kovra.exe", "PN Kovra Rendo Cup" }, "\n");
    WriteWhole(T("kovra.exe"), "MZ");
    EXPECT_EQ(1, RunRollback());
    EXPECT_FALSE(Exists("C:\\rb\\Spiele"));
}

TEST_F(Rollback, FileRecordsThatWouldLeaveTheirFolderArePassedOver)
{
    MakeFolders(kTarget);
    WriteWhole("C:\\rb\\Spiele\\up.txt", "u");
    WriteWhole("C:\\rb\\outside.txt", "o");
    MakeFolders(T("data"));
    WriteWhole(T("data\\ok.txt"), "d");
    WriteWhole(T("data\\inside.txt"), "i");
    WriteWhole(T("plain.txt"), "p");
    WriteLog({ "ID 3 0 0 0",
               "NC ..\\up.txt",
               "NC data\\..\\..\\up.txt",
               "NC .. \\up.txt",
               "NC ...\\up.txt",
               "NC data/../../up.txt",
               "NC C:\\rb\\outside.txt",
               "NC \\rb\\outside.txt",
               "NC C:..\\up.txt",
               "NC plain.txt:stream",
               "NC data\\..\\data\\inside.txt",
               "NC data\\\\inside.txt",
               "NC data\\ok.txt",
               "PN Kovra Rendo Cup" });
    EXPECT_EQ(1, RunRollback());
    EXPECT_TRUE(Exists("C:\\rb\\Spiele\\up.txt"));
    EXPECT_TRUE(Exists("C:\\rb\\outside.txt"));
    EXPECT_TRUE(Exists(T("data\\inside.txt")));
    EXPECT_TRUE(Exists(T("plain.txt")));
    EXPECT_FALSE(Exists(T("data\\ok.txt")));
}

TEST_F(Rollback, LevelFlagsAreMatchedToTheTargetFromTheShallowestLevel)
{
    // Both records disagree with this three-level target, whose levels all
    // existed and are empty: taken from the deepest level they would remove
    // folders the run never made. The first is not even sound.
    WriteLog({ "ID 3 1", "PN Kovra Rendo Cup" });
    EXPECT_EQ(0, RunRollback());
    EXPECT_TRUE(IsFolder(kTarget));
    WriteLog({ "ID 5 1 1 1 1 1", "PN Kovra Rendo Cup" });
    EXPECT_EQ(1, RunRollback());
    EXPECT_TRUE(IsFolder(kTarget));
}

TEST_F(Rollback, MoreLevelsThanTheTableHoldsKeepsTheDeepestFlags)
{
    // 121 levels of which the deepest five were created.
    std::string target = "C:\\";
    std::string flags;
    for (int i = 0; i < 121; ++i) {
        target += i == 0 ? "rb\\" : "a\\";
        flags += i < 116 ? " 0" : " 1";
    }
    ASSERT_LT(target.size(), (size_t)TextCapacity);
    Target(target);
    WriteLog({ "ID 121" + flags, "PN Kovra Rendo Cup" });
    std::string deepestKept = target;
    for (int i = 0; i < 5; ++i)
        deepestKept = deepestKept.substr(0, deepestKept.rfind('\\', deepestKept.size() - 2) + 1);
    EXPECT_EQ(1, RunRollback());
    EXPECT_TRUE(IsFolder(deepestKept));
    EXPECT_FALSE(Exists(deepestKept + "a"));
    EXPECT_EQ(MaxCreatedLevels, gSetup.rollback.levelCount);
}

}  // namespace
