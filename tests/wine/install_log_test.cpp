// The install log as the stages write it: "wt" puts CR LF on disk, records
// stay buffered until a flush, and "rt" reads CR LF back as one line end.
#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "integration/install_log.h"

namespace {

class InstallLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = fx::Fresh("log");
        fx::ResetState(target);
    }
    void TearDown() override { fx::CloseAll(); }
    std::string target;
};

TEST_F(InstallLog, CreatesDeinstLogInTheTarget)
{
    ASSERT_EQ(1, LogCreate());
    EXPECT_STREQ((target + "deinst.log").c_str(), gSetup.log.logPath);
    EXPECT_EQ(1, gSetup.log.logOpened);
    EXPECT_TRUE(gSetup.log.logFile != NULL);
    EXPECT_EQ("", fx::ReadOr(target + "deinst.log"));
}

TEST_F(InstallLog, NoOtherWriterWhileItIsOpen)
{
    ASSERT_EQ(1, LogCreate());
    std::string path = target + "deinst.log";
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    // Readers are welcome.
    EXPECT_EQ("", fx::ReadOr(path));
}

TEST_F(InstallLog, EmptiesAnOlderLog)
{
    ASSERT_TRUE(fx::WriteWhole(target + "deinst.log", "ID 0\r\nNC old.txt\r\nPN x\r\n"));
    ASSERT_EQ(1, LogCreate());
    EXPECT_EQ("", fx::ReadOr(target + "deinst.log"));
}

TEST_F(InstallLog, AMissingFolderCreatesNothing)
{
    fx::ResetState(target + "absent\\");
    EXPECT_EQ(0, LogCreate());
    EXPECT_EQ(0, gSetup.log.logOpened);
    EXPECT_TRUE(gSetup.log.logFile == NULL);
    EXPECT_FALSE(fx::Exists(target + "absent"));
    // Writers do nothing without a log, and say so.
    EXPECT_EQ(0, LogRecord("NC", "a"));
    EXPECT_EQ(0, LogWriteLevels(0, NULL));
}

TEST_F(InstallLog, EveryRecordIsOnDiskWithCrLfAndInTheRunsOwnCopy)
{
    ASSERT_EQ(1, LogCreate());
    int flags[] = { 0, 1 };
    EXPECT_EQ(1, LogWriteLevels(2, flags));
    EXPECT_EQ(1, LogRecord("SD", "C:\\T\\sfx"));
    EXPECT_EQ("ID 2 0 1\r\nSD C:\\T\\sfx\r\n", fx::ReadOr(target + "deinst.log"));
    EXPECT_EQ(1, LogRecord("CL", "C:\\Menu\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk"));
    EXPECT_EQ("ID 2 0 1\r\nSD C:\\T\\sfx\r\nCL C:\\Menu\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk\r\n",
              fx::ReadOr(target + "deinst.log"));
    EXPECT_EQ(1, CloseLog());
    EXPECT_EQ(std::string("ID 2 0 1\nSD C:\\T\\sfx\nCL C:\\Menu\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk\n"),
              std::string(gSetup.log.copy, gSetup.log.copySize));
}

TEST_F(InstallLog, ATargetAtTheRootHasNoLevels)
{
    ASSERT_EQ(1, LogCreate());
    LogWriteLevels(0, NULL);
    EXPECT_EQ("ID 0\r\n", fx::ReadOr(target + "deinst.log"));
}

// What the rollback reads back from a log of these bytes, as code|argument.
std::vector<std::string> ReadBack(const std::string& path, const fx::Bytes& bytes)
{
    EXPECT_TRUE(fx::WriteWhole(path, bytes));
    std::vector<std::string> out;
    Stream* stream = StreamOpen(path.c_str(), StreamReadText);
    if (!stream)
        return out;
    char line[LogLineCapacity];
    while (LogReadLine(stream, line)) {
        char code[3], argument[LogLineCapacity];
        LogSplitLine(line, code, argument, sizeof argument);
        out.push_back(std::string(code) + "|" + argument);
    }
    StreamClose(stream);
    return out;
}

TEST_F(InstallLog, CrLfAndBareLfReadBackAlike)
{
    std::vector<std::string> expected = { "ID|1 1", "NC|Kovra Rendo Cup.txt", "PN|Kovra Rendo Cup" };
    EXPECT_EQ(expected, ReadBack(target + "a.log", "ID 1 1\r\nNC Kovra Rendo Cup.txt\r\nPN Kovra Rendo Cup\r\n"));
    EXPECT_EQ(expected, ReadBack(target + "b.log", "ID 1 1\nNC Kovra Rendo Cup.txt\nPN Kovra Rendo Cup\n"));
    // A last line without its line end loses nothing.
    EXPECT_EQ(expected, ReadBack(target + "c.log", "ID 1 1\r\nNC Kovra Rendo Cup.txt\r\nPN Kovra Rendo Cup"));
}

}  // namespace
