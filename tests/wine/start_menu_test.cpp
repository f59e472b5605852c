// Start-menu folder and shell links (platforms 1 and 2) and the Program
// Manager commands (platform 0), against Wine's shell and a DDE stand-in.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdlib.h>

#include "integration/integration.h"
#include "setup/setup_state.h"
#include "tests/wine/engine_fixture.h"

using namespace fx;

namespace {

const char kTarget[] = "C:\\Spiele\\Kovra Rendo Cup\\";

class StartMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(&gSetup, 0, sizeof gSetup);
        ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
        strcpy(gSetup.targetPath, kTarget);
        MakeFolders(kTarget);
        WriteWhole(std::string(kTarget) + "kovra.exe", "MZ");
        WriteWhole(std::string(kTarget) + "uninst.exe", "MZ");
        programs = ProgramsFolder();
        ASSERT_FALSE(programs.empty());
        folder = programs + "\\Kovra Rendo Cup";
        logPath = "C:\\Spiele\\deinst.log";
        gSetup.log.logFile = StreamOpen(logPath.c_str(), StreamWriteText);
        ASSERT_TRUE(gSetup.log.logFile != NULL);
    }
    void TearDown() override
    {
        CloseLog();
        RemoveTree(folder);
        RemoveTree("C:\\Spiele");
        CoUninitialize();
    }
    std::string Log()
    {
        CloseLog();
        return ReadOr(logPath);
    }

    std::string programs;
    std::string folder;
    std::string logPath;
};

struct LinkInfo {
    bool loaded;
    std::string path;
    std::string workDir;
};

LinkInfo ReadLink(const std::string& file)
{
    LinkInfo info = { false, "", "" };
    IShellLinkA* link = NULL;
    IPersistFile* persist = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return info;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&persist))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = "";
            link->GetPath(text, MAX_PATH, NULL, SLGP_RAWPATH);
            info.path = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, MAX_PATH);
            info.workDir = text;
            info.loaded = true;
        }
        persist->Release();
    }
    link->Release();
    return info;
}

TEST_F(StartMenu, MakesTheFolderAndBothShortcutsAndLogsThemInOrder)
{
    for (unsigned char platform = 1; platform <= 2; ++platform) {
        SCOPED_TRACE(platform);
        gSetup.platform = platform;
        EXPECT_EQ(1, InstallStartMenuEntries());
        std::string game = folder + "\\Kovra Rendo Cup.lnk";
        std::string uninstall = folder + "\\Entferne Kovra Rendo Cup.lnk";
        EXPECT_EQ("CI " + folder + "\r\nCL " + game + "\r\nCL " + uninstall + "\r\n", Log());

        // Both links start their program in the target folder itself.
        LinkInfo link = ReadLink(game);
        ASSERT_TRUE(link.loaded);
        EXPECT_EQ(std::string(kTarget) + "kovra.exe", link.path);
        EXPECT_EQ(kTarget, link.workDir);
        link = ReadLink(uninstall);
        ASSERT_TRUE(link.loaded);
        EXPECT_EQ(std::string(kTarget) + "uninst.exe", link.path);
        EXPECT_EQ(kTarget, link.workDir);
        std::vector<std::string> expected = { "Entferne Kovra Rendo Cup.lnk", "Kovra Rendo Cup.lnk" };
        std::vector<std::string> names;
        for (const std::string& entry : ListTree(folder))
            names.push_back(entry.substr(0, entry.rfind(" (")));
        EXPECT_EQ(expected, names);

        // The host-side check reads the same files with a tool of its own.
        const char* copyTo = getenv("KOVRA_LNK_COPY_DIR");
        if (copyTo && platform == 2) {
            CopyFileA(game.c_str(), (std::string(copyTo) + "\\game.lnk").c_str(), FALSE);
            CopyFileA(uninstall.c_str(), (std::string(copyTo) + "\\uninstall.lnk").c_str(), FALSE);
        }
        RemoveTree(folder);
        gSetup.log.logFile = StreamOpen(logPath.c_str(), StreamWriteText);
    }
}

TEST_F(StartMenu, AnExistingFolderIsUsedAsItIsAndStillLogged)
{
    gSetup.platform = 2;
    MakeFolders(folder);
    WriteWhole(folder + "\\readme.txt", "mine");
    EXPECT_EQ(1, InstallStartMenuEntries());
    EXPECT_EQ("mine", ReadOr(folder + "\\readme.txt"));
    EXPECT_TRUE(Exists(folder + "\\Kovra Rendo Cup.lnk"));
    EXPECT_EQ(0u, Log().find("CI " + folder + "\r\nCL "));
}

TEST_F(StartMenu, WithoutAReadableProgramsValueNothingIsMadeOrLogged)
{
    gSetup.platform = 2;
    ProgramsValueGuard guard;
    DWORD number = 7;
    std::string tooLong = "C:\\" + std::string(270, 'p');
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {
        { "missing", 0, NULL, 0 },
        { "a number", REG_DWORD, &number, sizeof number },
        { "empty", REG_SZ, "", 1 },
        { "longer than its buffer", REG_SZ, tooLong.c_str(), (DWORD)tooLong.size() + 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.data)
            guard.Set(c.type, c.data, c.size);
        else
            guard.Remove();
        EXPECT_EQ(0, InstallStartMenuEntries());
        EXPECT_EQ(0, CreateShortcut("Kovra Rendo Cup\\x", "C:\\Spiele\\Kovra Rendo Cup\\kovra.exe"));
        // An empty value would otherwise have made \Kovra Rendo Cup on the current drive.
        EXPECT_FALSE(Exists("C:\\Kovra Rendo Cup"));
        EXPECT_FALSE(Exists("\\Kovra Rendo Cup"));
        EXPECT_EQ("", Log());
        gSetup.log.logFile = StreamOpen(logPath.c_str(), StreamWriteText);
    }
}

TEST_F(StartMenu, AProgramsValueStoredWithoutItsZeroIsReadWhole)
{
    gSetup.platform = 1;
    ProgramsValueGuard guard;
    std::string other = "C:\\Spiele\\Start Menu\\Programs";
    MakeFolders(other);
    guard.Set(REG_SZ, other.c_str(), (DWORD)other.size());
    EXPECT_EQ(1, InstallStartMenuEntries());
    EXPECT_TRUE(Exists(other + "\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk"));
    EXPECT_EQ(0u, Log().find("CI " + other + "\\Kovra Rendo Cup\r\n"));
}

// Program Manager, platform 0.

const char kDelete[] = "[DeleteGroup(\x1CKovra Rendo Cup\x1C)]";
const char kCreate[] = "[CreateGroup(\x1CKovra Rendo Cup\x1C)]";
const char kShow[] = "[ShowGroup(\x1CKovra Rendo Cup\x1C,1)]";
const char kAdd[] = "[AddItem(\x1C" "C:\\Spiele\\Kovra Rendo Cup\\uninst.exe\x1C,\x1C" "Entferne Kovra Rendo Cup\x1C)]";

TEST_F(StartMenu, Platform0SendsTheGroupCommandsAndLogsPG)
{
    gSetup.platform = 0;
    ProgmanServer server;
    ASSERT_TRUE(server.registered());
    EXPECT_EQ(1, InstallStartMenuEntries());
    std::vector<std::string> expected = { Command(kDelete), Command(kCreate), Command(kShow), Command(kAdd) };
    EXPECT_EQ(expected, server.commands());
    EXPECT_EQ("PG Kovra Rendo Cup\r\n", Log());
    EXPECT_FALSE(Exists(folder));
    // Wine's own Program Manager did not get them: it would have made this folder.
    EXPECT_FALSE(Exists(programs + "\\_Kovra Rendo Cup_"));
}

TEST_F(StartMenu, Platform0LogsPGAlsoWhenProgramManagerRefuses)
{
    gSetup.platform = 0;
    ProgmanServer server(false);
    EXPECT_EQ(1, InstallStartMenuEntries());
    EXPECT_EQ(4u, server.commands().size());
    EXPECT_EQ("PG Kovra Rendo Cup\r\n", Log());
}

TEST(Progman, ResultsSayWhetherTheServerAccepted)
{
    {
        ProgmanServer server(true);
        EXPECT_EQ(1, DeleteProgramGroup("Kovra Rendo Cup"));
        EXPECT_EQ(1, CreateProgramGroup("Kovra Rendo Cup"));
        EXPECT_EQ(1, AddProgramItem("Kovra Rendo Cup", "C:\\Spiele\\Kovra Rendo Cup\\uninst.exe", "Entferne Kovra Rendo Cup"));
        EXPECT_EQ(1, SendProgmanCommand("[ShowGroup(x,1)]"));
        EXPECT_EQ(4u + 1u, server.commands().size());
    }
    {
        ProgmanServer server(false);
        EXPECT_EQ(0, DeleteProgramGroup("Kovra Rendo Cup"));
        EXPECT_EQ(0, CreateProgramGroup("Kovra Rendo Cup"));
        EXPECT_EQ(0, AddProgramItem("Kovra Rendo Cup", "C:\\x.exe", "x"));
        EXPECT_EQ(4u, server.commands().size());
    }
}

TEST(Progman, ACommandTooLongForItsBufferIsNotSent)
{
    ProgmanServer server;
    // 260 bytes hold the command and its zero; a cut command could name
    // another program, so it is not sent at all.
    std::string longLine = "C:\\" + std::string(230, 'x') + "\\uninst.exe";
    EXPECT_EQ(0, AddProgramItem("Kovra Rendo Cup", longLine.c_str(), "Entferne Kovra Rendo Cup"));
    std::vector<std::string> expected = { Command(kShow) };
    EXPECT_EQ(expected, server.commands());

    // The longest command that fits is sent whole: 259 characters.
    std::string group(259 - strlen("[DeleteGroup(\x1C\x1C)]"), 'g');
    EXPECT_EQ(1, DeleteProgramGroup(group.c_str()));
    EXPECT_EQ(0, DeleteProgramGroup((group + "g").c_str()));
    ASSERT_EQ(2u, server.commands().size());
    EXPECT_EQ(Command(("[DeleteGroup(\x1C" + group + "\x1C)]").c_str()), server.commands()[1]);
}

}  // namespace
