// A full disk while staging, expanding and extracting: drive T: is a tmpfs
// of 256 KB (full_disk_test.hook.sh). A byte that does not reach the disk
// fails the stage, so the run ends as abandoned instead of "successful".
#include <gtest/gtest.h>

#include "engine/stages.h"
#include "payload_fixture.h"
#include "integration/install_log.h"
#include "setup/driver.h"

namespace {

class FullDisk : public fx::PayloadTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fx::IsFolder("T:\\")) << "the hook maps T: onto a small tmpfs";
        target = fx::Fresh("full", "T:\\");
        fx::ResetState(target);
    }
    void TearDown() override
    {
        PayloadTest::TearDown();
        fx::RemoveTree(target);
    }
    std::string target;
};

TEST_F(FullDisk, StagingFailsWith10)
{
    CarryAs(fx::Filler(400000, 1), "C:\\full-disk.exe");
    ASSERT_EQ(1, PrepareTarget());
    EXPECT_LE(fx::RunSlices(StageSlice, 2, StageLastStep), StageLastStep);
    EXPECT_EQ(AbortStageCreate, gSetup.abortCode);
    EXPECT_TRUE(gSetup.staging.stagedFile == NULL);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_TRUE(DeleteFileA(gSetup.staging.stagedPath));
}

TEST_F(FullDisk, ExpansionFailsWith12)
{
    CopyText(gSetup.staging.stagedPath, sizeof gSetup.staging.stagedPath, (target + "temp.un_").c_str());
    ASSERT_TRUE(fx::WriteWhole(gSetup.staging.stagedPath, fx::Szdd(fx::Bytes(400000, ' '))));
    gSetup.staging.stagedPresent = 1;
    ASSERT_EQ(1, OpenExpansion());
    EXPECT_EQ(400000u, gSetup.expansion.expandedSize);
    EXPECT_LE(fx::RunSlices(ExpandSlice, 21, ExpandLastStep), ExpandLastStep);
    EXPECT_EQ(AbortArchiveCreate, gSetup.abortCode);
    EXPECT_TRUE(gSetup.expansion.archiveOut == NULL);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    // Both files are closed and can go.
    EXPECT_TRUE(DeleteFileA(gSetup.staging.stagedPath));
    EXPECT_TRUE(DeleteFileA(gSetup.expansion.archivePath));
}

TEST_F(FullDisk, ExtractionFailsWith16AfterLoggingTheFile)
{
    ASSERT_EQ(1, LogCreate());
    CopyText(gSetup.expansion.archivePath, sizeof gSetup.expansion.archivePath, "C:\\full-disk.uni");
    fx::Bytes archive = fx::Archive({ { "small", "x" }, { "big", fx::Filler(400000, 2) } });
    ASSERT_TRUE(fx::WriteWhole(gSetup.expansion.archivePath, archive));
    gSetup.expansion.archivePresent = 1;
    gSetup.expansion.expandedSize = (DWORD)archive.size();
    ASSERT_EQ(1, OpenExtraction());
    EXPECT_LE(fx::RunSlices(ExtractSlice, 62, ExtractLastStep), ExtractLastStep);
    EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
    EXPECT_TRUE(gSetup.extraction.entryFile == NULL);
    EXPECT_TRUE(gSetup.extraction.archiveReader == NULL);
    // The rollback finds the file in the log.
    EXPECT_EQ("NC small\r\nNC big\r\n", fx::LogOnDisk(true));
    EXPECT_TRUE(DeleteFileA(gSetup.expansion.archivePath));
}

// A log that cannot take a record ends the run as abandoned: at the Start
// menu or the entry (20), and at the closing line, which "Installation
// erfolgreich." never follows. The rollback works from the run's own lines.
DWORD WINAPI AnswerClosingBox(void* text)
{
    HWND box = NULL;
    for (int i = 0; i < 500 && !box; ++i, Sleep(10))
        box = FindWindowA("#32770", "Kovra Rendo Cup");
    *(std::string*)text = fx::Text(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

TEST_F(FullDisk, ALogThatCannotTakeARecordEndsTheRunAbandonedAndRolledBack)
{
    for (bool closing : { false, true }) {
        fx::ResetState(target);
        ASSERT_EQ(1, LogCreate());
        ASSERT_EQ(1, LogWriteLevels(0, NULL));
        ASSERT_TRUE(fx::WriteWhole(target + "kovra.exe", "MZ"));
        ASSERT_EQ(1, LogRecord("NC", "kovra.exe"));
        // The log's own page of the tmpfs full (20 + 8 * 495 + 116 = 4096
        // bytes), then the rest of the disk.
        for (int i = 0; i < 9; ++i)
            ASSERT_EQ(1, LogRecord("NC", std::string(i < 8 ? 490 : 111, 'a' + i).c_str()));
        fx::WriteWhole(target + "fill", fx::Filler(300000, 3));
        if (!closing) {
            EXPECT_EQ(0, LogOrAbort("RK", std::string(400, 'k').c_str()));
            EXPECT_EQ(AbortLogWrite, gSetup.abortCode);
        }
        std::string text;
        HANDLE answer = CreateThread(NULL, 0, AnswerClosingBox, &text, 0, NULL);
        RunEnding(NULL);
        WaitForSingleObject(answer, 10000);
        CloseHandle(answer);
        EXPECT_EQ("Installation abgebrochen.", text);
        EXPECT_EQ(AbortLogWrite, gSetup.abortCode);
        EXPECT_FALSE(fx::Exists(target + "kovra.exe"));
        EXPECT_FALSE(fx::Exists(target + "deinst.log"));
        DeleteFileA((target + "fill").c_str());
    }
}

}  // namespace
