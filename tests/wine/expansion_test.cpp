// Step 20 and steps 21..60 against Wine's LZ32: temp.un_ expanded into
// temp.uni in forty slices, and what abort codes 11 to 13 leave behind.
#include <gtest/gtest.h>

#include "engine/stages.h"
#include "engine_fixture.h"

namespace {

class Expansion : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = fx::Fresh("expansion");
        fx::ResetState(target);
        CopyText(gSetup.staging.stagedPath, sizeof gSetup.staging.stagedPath, (target + "temp.un_").c_str());
    }
    void TearDown() override { fx::CloseAll(); }
    // temp.un_ as staging leaves it.
    void Stage(const fx::Bytes& compressed)
    {
        ASSERT_TRUE(fx::WriteWhole(gSetup.staging.stagedPath, compressed));
        gSetup.staging.stagedPresent = 1;
    }
    // Runs steps 21..60 and returns temp.uni.
    fx::Bytes ExpandAll()
    {
        for (int step = 21; step <= ExpandLastStep; ++step)
            EXPECT_EQ(1, ExpandSlice(step)) << step;
        return fx::ReadOr(gSetup.expansion.archivePath);
    }
    std::string target;
};

TEST_F(Expansion, OpensTheStagedFileAndLearnsTheExpandedSize)
{
    Stage(fx::Szdd(fx::Filler(12345, 1)));
    ASSERT_EQ(1, OpenExpansion());
    EXPECT_EQ(0, gSetup.abortCode);
    EXPECT_STREQ((target + "temp.uni").c_str(), gSetup.expansion.archivePath);
    EXPECT_EQ(12345u, gSetup.expansion.expandedSize);
    EXPECT_EQ(12345u, gSetup.expansion.expandRemaining);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_EQ("", fx::ReadOr(gSetup.expansion.archivePath));
}

TEST_F(Expansion, RealMatchesAreExpandedByThePlatform)
{
    // "ab", then a match of 10 from the ring position of the "a" (4080).
    fx::Bytes compressed("SZDD\x88\xF0\x27\x33" "A\0\x0C\0\0\0" "\x03" "ab" "\xF0\xF7", 19);
    Stage(compressed);
    ASSERT_EQ(1, OpenExpansion());
    EXPECT_EQ("abababababab", ExpandAll());
    // temp.un_ is gone after step 60, temp.uni stays for the extraction.
    EXPECT_FALSE(fx::Exists(target + "temp.un_"));
    EXPECT_EQ(0, gSetup.staging.stagedPresent);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    EXPECT_TRUE(gSetup.expansion.archiveOut == NULL);
    EXPECT_EQ(0, gSetup.expansion.lzHandle);
}

TEST_F(Expansion, BelowFortyBytesEverythingMovesAtStep60)
{
    fx::Bytes plain = fx::Filler(39, 2);
    Stage(fx::Szdd(plain));
    ASSERT_EQ(1, OpenExpansion());
    for (int step = 21; step < ExpandLastStep; ++step) {
        ASSERT_EQ(1, ExpandSlice(step));
        EXPECT_EQ(39u, gSetup.expansion.expandRemaining);
    }
    ASSERT_EQ(1, ExpandSlice(ExpandLastStep));
    EXPECT_EQ(0u, gSetup.expansion.expandRemaining);
    EXPECT_EQ(plain, fx::ReadOr(gSetup.expansion.archivePath));
}

TEST_F(Expansion, TheLastSliceCarriesTheRemainder)
{
    fx::Bytes plain = fx::Filler(40 * 7 + 39, 3);
    Stage(fx::Szdd(plain));
    ASSERT_EQ(1, OpenExpansion());
    for (int step = 21; step < ExpandLastStep; ++step)
        ASSERT_EQ(1, ExpandSlice(step));
    EXPECT_EQ(7u + 39u, gSetup.expansion.expandRemaining);
    ASSERT_EQ(1, ExpandSlice(ExpandLastStep));
    EXPECT_EQ(plain, fx::ReadOr(gSetup.expansion.archivePath));
}

TEST_F(Expansion, SlicesOfExactlyOneChunkAndOfOneByteMore)
{
    // Slices of 10,000 bytes (one chunk) and of 10,001 (10,000 and 1).
    for (unsigned int slice : { 10000u, 10001u }) {
        SCOPED_TRACE(slice);
        fx::Bytes plain = fx::Filler(40 * slice, slice);
        Stage(fx::Szdd(plain));
        ASSERT_EQ(1, OpenExpansion());
        for (int step = 21; step <= ExpandLastStep; ++step) {
            ASSERT_EQ(1, ExpandSlice(step));
            EXPECT_EQ((unsigned int)(ExpandLastStep - step) * slice, gSetup.expansion.expandRemaining);
        }
        EXPECT_EQ(plain, fx::ReadOr(gSetup.expansion.archivePath));
        DeleteFileA(gSetup.expansion.archivePath);
    }
}

TEST_F(Expansion, AMissingStagedFileOpensNothing)
{
    EXPECT_EQ(0, OpenExpansion());
    EXPECT_EQ(AbortExpandOpen, gSetup.abortCode);
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
    EXPECT_TRUE(gSetup.expansion.archiveOut == NULL);
    EXPECT_FALSE(fx::Exists(target + "temp.uni"));
}

TEST_F(Expansion, TempUniThatCannotBeCreatedClosesTheStagedFile)
{
    Stage(fx::Szdd("payload"));
    CreateDirectoryA((target + "temp.uni").c_str(), NULL);
    EXPECT_EQ(0, OpenExpansion());
    EXPECT_EQ(AbortArchiveCreate, gSetup.abortCode);
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    // Nothing holds temp.un_ open any more.
    EXPECT_TRUE(DeleteFileA(gSetup.staging.stagedPath));
}

TEST_F(Expansion, AShortStagedFileStopsAtTheFirstShortRead)
{
    // The header promises 40 slices of 2,500 bytes; the data stop after 12.
    fx::Bytes compressed = fx::SzddLiterals(fx::Filler(100000, 4));
    compressed.resize(14 + 30000 / 8 * 9);
    Stage(compressed);
    ASSERT_EQ(1, OpenExpansion());
    EXPECT_EQ(100000u, gSetup.expansion.expandedSize);
    EXPECT_EQ(33, fx::RunSlices(ExpandSlice, 21, ExpandLastStep));
    EXPECT_EQ(AbortExpandRead, gSetup.abortCode);
    EXPECT_EQ(30000u, fx::ReadOr(gSetup.expansion.archivePath).size());
    // Both closed, both flagged for the rollback.
    EXPECT_TRUE(gSetup.expansion.archiveOut == NULL);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    EXPECT_TRUE(DeleteFileA(gSetup.staging.stagedPath));
    EXPECT_TRUE(DeleteFileA(gSetup.expansion.archivePath));
}

TEST_F(Expansion, AStagedFileThatCannotBeDeletedIsNoAbort)
{
    fx::Bytes plain = fx::Filler(400, 5);
    Stage(fx::Szdd(plain));
    ASSERT_EQ(1, OpenExpansion());
    for (int step = 21; step < ExpandLastStep; ++step)
        ASSERT_EQ(1, ExpandSlice(step));
    HANDLE holder = CreateFileA(gSetup.staging.stagedPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0, ExpandSlice(ExpandLastStep));
    CloseHandle(holder);
    EXPECT_EQ(0, gSetup.abortCode);
    EXPECT_EQ(1, gSetup.staging.stagedPresent);
    EXPECT_EQ(plain, fx::ReadOr(gSetup.expansion.archivePath));
}

}  // namespace
