// Step 1 and steps 2..19 in a fresh folder: the target's levels, the log's ID
// record, the resource staged into temp.un_ slice by slice, and what each
// abort code (5 to 10) leaves behind.
#include <gtest/gtest.h>

#include "engine/stages.h"
#include "payload_fixture.h"

namespace {

class Staging : public fx::PayloadTest {
protected:
    void SetUp() override
    {
        base = fx::Fresh("staging");
        Use(base);
    }
    void Use(const std::string& target)
    {
        fx::ResetState(target);
        gSetup.instance = module;
    }
    // Points gSetup.instance at a module carrying payload.
    void Carry(const fx::Bytes& payload) { CarryAs(payload, base + "..\\staging.exe"); }
    void CarryModule(HMODULE m)
    {
        module = m;
        ASSERT_TRUE(module != NULL);
        gSetup.instance = module;
    }
    // A payload that cannot be staged: the stage stops with code and leaves
    // only the log with its header.
    void ExpectStageFails(int code)
    {
        EXPECT_EQ(0, PrepareTarget());
        EXPECT_EQ(code, gSetup.abortCode);
        EXPECT_EQ(1, gSetup.log.logOpened);
        EXPECT_EQ(0, gSetup.staging.stagedPresent);
        EXPECT_FALSE(fx::Exists(base + "temp.un_"));
        EXPECT_EQ("ID 2 0 0\r\n", fx::LogOnDisk(true));
    }
    long StagedSize()
    {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(gSetup.staging.stagedPath, GetFileExInfoStandard, &data))
            return -1;
        return (long)data.nFileSizeLow;
    }

    std::string base;
};

TEST_F(Staging, CreatesTheMissingLevelsAndRecordsThemInTheIdLine)
{
    Carry("payload");
    Use(base + "A\\B\\");
    ASSERT_EQ(1, PrepareTarget());
    EXPECT_EQ(0, gSetup.abortCode);
    // C:\kovra-engine and ...\staging exist; A and B are new.
    EXPECT_EQ(4, gSetup.staging.levelCount);
    EXPECT_TRUE(fx::IsFolder(base + "A\\B"));
    // The ID line is on disk as soon as temp.un_ is open.
    EXPECT_EQ("ID 4 0 0 1 1\r\n", fx::LogOnDisk());
    EXPECT_STREQ((base + "A\\B\\deinst.log").c_str(), gSetup.log.logPath);
    EXPECT_STREQ((base + "A\\B\\temp.un_").c_str(), gSetup.staging.stagedPath);
    EXPECT_EQ(1, gSetup.log.logOpened);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_EQ(0, StagedSize());
    EXPECT_EQ(7u, gSetup.staging.stagedSize);
    EXPECT_EQ(7u, gSetup.staging.stagedRemaining);
}

TEST_F(Staging, AnExistingTargetGivesZeroFlags)
{
    Carry("payload");
    ASSERT_EQ(1, PrepareTarget());
    EXPECT_EQ("ID 2 0 0\r\n", fx::LogOnDisk());
}

TEST_F(Staging, ATargetAtTheDriveRootHasNoLevels)
{
    Carry("payload");
    Use("C:\\");
    ASSERT_EQ(1, PrepareTarget());
    EXPECT_EQ("ID 0\r\n", fx::LogOnDisk(true));
    fx::CloseAll();
    DeleteFileA("C:\\deinst.log");
    DeleteFileA("C:\\temp.un_");
}

TEST_F(Staging, ALevelBlockedByAFileEndsWithoutALog)
{
    Carry("payload");
    ASSERT_TRUE(fx::WriteWhole(base + "blocker", "x"));
    Use(base + "blocker\\deeper\\");
    EXPECT_EQ(0, PrepareTarget());
    // 5 from the walk, then 6 over it: the log belongs in the missing folder.
    EXPECT_EQ(AbortLogCreate, gSetup.abortCode);
    EXPECT_EQ(0, gSetup.log.logOpened);
    EXPECT_TRUE(gSetup.log.logFile == NULL);
    EXPECT_EQ(0, gSetup.staging.stagedPresent);
    EXPECT_EQ(std::vector<std::string>({ "blocker" }), fx::Tree(base));

    // A level that is a link to a folder elsewhere: not even the log goes there.
    const std::string outside = fx::Fresh("staging-outside");
    ASSERT_TRUE(fx::Link(outside.substr(0, outside.size() - 1), base + "linked"));
    Use(base + "linked\\deeper\\");
    EXPECT_EQ(0, PrepareTarget());
    EXPECT_EQ(AbortTargetLevel, gSetup.abortCode);
    EXPECT_EQ(0, gSetup.log.logOpened);
    EXPECT_TRUE(fx::Tree(outside).empty());
    fx::Unlink(base + "linked");
    fx::RemoveTree(outside);
}

TEST_F(Staging, AFailedWalkThatStillAllowsTheLogGoesOn)
{
    // The level "file\.." cannot be created, but the log's path resolves.
    Carry("payload");
    ASSERT_TRUE(fx::WriteWhole(base + "file", "x"));
    Use(base + "file\\..\\");
    EXPECT_EQ(1, PrepareTarget());
    EXPECT_EQ(AbortTargetLevel, gSetup.abortCode);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_EQ("ID 2 0 0\r\n", fx::LogOnDisk());
}

TEST_F(Staging, MoreLevelsThanTheTableHoldsFailsWithoutWritingPastIt)
{
    // 121 levels below the root, all present, so that the log can be made.
    Carry("payload");
    std::string deep = "C:\\";
    for (int i = 0; i < 121; ++i) {
        deep += "d\\";
        CreateDirectoryA(deep.c_str(), NULL);
    }
    ASSERT_TRUE(fx::IsFolder(deep));
    Use(deep);
    gSetup.staging.levelCount = 0;
    EXPECT_EQ(1, PrepareTarget());
    EXPECT_EQ(AbortTargetLevel, gSetup.abortCode);
    EXPECT_EQ(MaxCreatedLevels, gSetup.staging.levelCount);
    std::string expected = "ID 120";
    for (int i = 0; i < 120; ++i)
        expected += " 0";
    EXPECT_EQ(expected + "\r\n", fx::LogOnDisk(true));
    fx::CloseAll();
    DeleteFileA((deep + "deinst.log").c_str());
    DeleteFileA((deep + "temp.un_").c_str());
    SetCurrentDirectoryA("C:\\");
    for (int i = 0; i < 121; ++i) {
        RemoveDirectoryA(deep.c_str());
        deep.resize(deep.size() - 2);
    }
}

TEST_F(Staging, AMissingResourceLeavesTheLogWithItsHeader)
{
    CarryModule(LoadLibraryExA(KOVRA_SETUP_NOPAYLOAD_EXE, NULL, LOAD_LIBRARY_AS_DATAFILE));
    ExpectStageFails(AbortStageFind);
}

TEST_F(Staging, AResourceThatCannotBeLoaded)
{
    ASSERT_TRUE(fx::CopyWithUnloadablePayload(KOVRA_SETUP_EXE, (base + "..\\unloadable.exe").c_str()));
    CarryModule(LoadLibraryExA((base + "..\\unloadable.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE));
    ExpectStageFails(AbortStageLoad);
}

TEST_F(Staging, AnEmptyResource)
{
    ASSERT_TRUE(fx::CopyWithEmptyPayload(KOVRA_SETUP_EXE, (base + "..\\empty.exe").c_str()));
    CarryModule(LoadLibraryExA((base + "..\\empty.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE));
    ExpectStageFails(AbortStageEmpty);
}

TEST_F(Staging, TempUnThatCannotBeCreated)
{
    Carry("payload");
    CreateDirectoryA((base + "temp.un_").c_str(), NULL);
    EXPECT_EQ(0, PrepareTarget());
    EXPECT_EQ(AbortStageCreate, gSetup.abortCode);
    EXPECT_EQ(0, gSetup.staging.stagedPresent);
    EXPECT_TRUE(gSetup.staging.stagedFile == NULL);
    EXPECT_EQ("ID 2 0 0\r\n", fx::LogOnDisk(true));

    // A link planted in its place: the file it points to stays as it was.
    RemoveDirectoryA((base + "temp.un_").c_str());
    const std::string outside = fx::Fresh("staging-outside");
    ASSERT_TRUE(fx::WriteWhole(outside + "theirs.txt", "theirs") && fx::Link(outside + "theirs.txt", base + "temp.un_"));
    Use(base);
    EXPECT_EQ(0, PrepareTarget());
    EXPECT_EQ(AbortStageCreate, gSetup.abortCode);
    EXPECT_EQ("theirs", fx::ReadOr(outside + "theirs.txt"));
    fx::Unlink(base + "temp.un_");
    fx::RemoveTree(outside);
}

TEST_F(Staging, APayloadSmallerThan18BytesLandsAtStep19)
{
    fx::Bytes payload = fx::Filler(17, 1);
    Carry(payload);
    ASSERT_EQ(1, PrepareTarget());
    for (int step = 2; step <= 18; ++step) {
        EXPECT_EQ(1, StageSlice(step));
        EXPECT_EQ(17u, gSetup.staging.stagedRemaining) << step;
    }
    EXPECT_EQ(1, StageSlice(19));
    EXPECT_TRUE(gSetup.staging.stagedFile == NULL);
    EXPECT_EQ(0u, gSetup.staging.stagedRemaining);
    EXPECT_EQ(payload, fx::ReadOr(gSetup.staging.stagedPath));
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
}

TEST_F(Staging, SeventeenEqualSlicesAndTheRestAtStep19)
{
    fx::Bytes payload = fx::Filler(18 * 1000 + 17, 2);
    Carry(payload);
    ASSERT_EQ(1, PrepareTarget());
    for (int step = 2; step <= 18; ++step) {
        ASSERT_EQ(1, StageSlice(step));
        EXPECT_EQ(18u * 1000 + 17 - (step - 1) * 1000u, gSetup.staging.stagedRemaining);
    }
    ASSERT_EQ(1, StageSlice(19));
    EXPECT_EQ(payload, fx::ReadOr(gSetup.staging.stagedPath));
}

}  // namespace
