// Every point of the install timeline at which a run can stop: the run is cut
// off there with an abort, ended as the page loop ends it (PN, log closed) and
// rolled back; the machine must then be as it was before. Stages run directly,
// one call per step, without the progress page's timer.
#include <gtest/gtest.h>
#include <objbase.h>

#include "engine/stages.h"
#include "engine/timeline.h"
#include "engine_fixture.h"
#include "integration/install_log.h"
#include "integration/integration.h"
#include "undo/log_replay.h"

namespace {

const char kTarget[] = "T:\\Spiele\\Kovra\\Rendo Cup\\";

fx::Bytes Payload(const std::vector<fx::Entry>& entries)
{
    return fx::Szdd(fx::Archive(entries));
}

std::vector<fx::Entry> GameFiles()
{
    return { { "kovra.exe", fx::Filler(20000, 1) },   { "data\\level1.dat", fx::Filler(12000, 2) },
             { "readme.txt", fx::Filler(900, 3) },    { "data\\level2.dat", fx::Filler(7000, 4) },
             { "sound\\intro.wav", fx::Filler(15000, 5) }, { "uninst.exe", fx::Filler(6000, 6) } };
}

struct Machine {
    std::vector<std::string> drive;
    std::vector<std::string> startMenu;
    std::vector<std::string> uninstall;
};

Machine Snapshot()
{
    return { fx::ListTree("T:"), fx::ListTree(fx::ProgramsFolder()), fx::UninstallKeys() };
}

void ExpectSame(const Machine& before, const Machine& after)
{
    EXPECT_EQ(before.drive, after.drive);
    EXPECT_EQ(before.startMenu, after.startMenu);
    EXPECT_EQ(before.uninstall, after.uninstall);
}

class Run : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitialize(NULL);
        CreateDirectoryA("C:\\kovra-abort", NULL);
        module = fx::PayloadModule(Payload(GameFiles()), "C:\\kovra-abort\\game.exe");
    }
    static void TearDownTestSuite()
    {
        if (module)
            FreeLibrary(module);
        CoUninitialize();
    }
    void SetUp() override
    {
        ASSERT_TRUE(module != NULL);
        ASSERT_TRUE(fx::IsFolder("T:\\"));
        // A drive with something of the user's on it, and one level of the
        // target path that exists already.
        fx::MakeFolders("T:\\Spiele");
        fx::WriteWhole("T:\\Spiele\\notizen.txt", "mine");
        Start(module);
        before = Snapshot();
    }
    void TearDown() override
    {
        fx::CloseAll();
        SetCurrentDirectoryA("C:\\");
        fx::RemoveTree("T:\\Spiele");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(fx::UninstallList) + "\\ZKKovraRendoCup_V1").c_str());
    }
    void Start(HMODULE payload)
    {
        fx::ResetState(kTarget);
        gSetup.instance = payload;
        gSetup.platform = 2;
        GetWindowsDirectoryA(gSetup.windowsDir, sizeof gSetup.windowsDir);
    }
    // The timeline as the progress page runs it, with an abort set at the
    // start of step abortAt (0: none), then the ending and the rollback.
    void RunAndRollBack(int abortAt)
    {
        for (int step = 1; step <= LastStep; ++step) {
            if (step == abortAt)
                gSetup.abortCode = AbortUser;
            if (gSetup.abortCode == AbortNone)
                RunTimelineStep(step);
        }
        EndAndRollBack();
    }
    void EndAndRollBack()
    {
        if (gSetup.log.logFile) {
            LogRecord("PN", "Kovra Rendo Cup");
            CloseLog();
        }
        ASSERT_NE(AbortNone, gSetup.abortCode);
        EXPECT_EQ(1, RunRollback());
    }

    static HMODULE module;
    Machine before;
};

HMODULE Run::module = NULL;

class AbortAt : public Run, public ::testing::WithParamInterface<int> {};

TEST_P(AbortAt, LeavesTheMachineAsItWas)
{
    RunAndRollBack(GetParam());
    ExpectSame(before, Snapshot());
}

INSTANTIATE_TEST_SUITE_P(Step, AbortAt, ::testing::Range(1, LastStep + 1),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

TEST_F(Run, ACompleteRunLeavesTheGameRegisteredAndAnAbortAfterItUndoesAll)
{
    // Without an abort: the files, the shortcuts and the entry are there.
    for (int step = 1; step <= LastStep; ++step)
        RunTimelineStep(step);
    ASSERT_EQ(AbortNone, gSetup.abortCode);
    EXPECT_TRUE(fx::Exists(std::string(kTarget) + "sound\\intro.wav"));
    EXPECT_TRUE(fx::Exists(fx::ProgramsFolder() + "\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk"));
    EXPECT_NE(before.uninstall, fx::UninstallKeys());
    gSetup.abortCode = AbortUser;
    EndAndRollBack();
    ExpectSame(before, Snapshot());
}

TEST_F(Run, OnPlatform0TheRollbackDeletesTheProgramGroup)
{
    fx::ProgmanServer progman;
    gSetup.platform = 0;
    RunAndRollBack(LastStep);
    std::string group = "\x1CKovra Rendo Cup\x1C";
    std::vector<std::string> sent = {
        fx::Command(("[DeleteGroup(" + group + ")]").c_str()),
        fx::Command(("[CreateGroup(" + group + ")]").c_str()),
        fx::Command(("[ShowGroup(" + group + ",1)]").c_str()),
        fx::Command(("[AddItem(\x1C" + std::string(kTarget) + "uninst.exe\x1C,\x1C" "Entferne Kovra Rendo Cup\x1C)]").c_str()),
        fx::Command(("[DeleteGroup(" + group + ")]").c_str()),
    };
    EXPECT_EQ(sent, progman.commands());
    ExpectSame(before, Snapshot());
}

TEST_F(Run, StagesThatFailOnTheirOwnAreRolledBackToo)
{
    fx::Bytes archive = fx::Archive(GameFiles());
    fx::Bytes truncated = Payload(GameFiles());
    truncated.resize(truncated.size() / 2);  // the expansion reads short: 13
    fx::Bytes notAnArchive = fx::Szdd(fx::Filler(5000, 9));  // 14
    std::vector<fx::Entry> escaping = GameFiles();
    escaping.insert(escaping.begin() + 3, { "..\\..\\escape.txt", "x" });  // 16 midway
    struct Case {
        const char* what;
        fx::Bytes payload;
        int code;
    } cases[] = {
        { "truncated", truncated, AbortExpandRead },
        { "not an archive", notAnArchive, AbortArchiveOpen },
        { "a name leaving the target", fx::Szdd(fx::ArchiveAnyNames(escaping)), AbortFileCreate },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string copy = "C:\\kovra-abort\\broken" + std::to_string(n++) + ".exe";
        HMODULE broken = fx::PayloadModule(c.payload, copy);
        ASSERT_TRUE(broken != NULL);
        Start(broken);
        RunAndRollBack(0);
        EXPECT_EQ(c.code, gSetup.abortCode);
        ExpectSame(before, Snapshot());
        FreeLibrary(broken);
    }
}

}  // namespace
