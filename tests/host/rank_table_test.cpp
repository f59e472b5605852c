// Ranked record tables: ranking in both orders, inserts, the scrambled file
// form, and the refusals of bad slots, rows, names and sizes.
#include "support/rank_table.h"
#include "tests/file_bytes.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

class RankTableTest : public ::testing::Test {
protected:
    void SetUp() override { InitRankTables(); }
    void TearDown() override
    {
        FreeRankTables();
        for (const std::string& p : paths)
            unlink(p.c_str());
    }

    std::string TempPath(const char* name)
    {
        std::string p = ::testing::TempDir() + "rank_" + std::to_string(getpid()) + "_" + name;
        paths.push_back(p);
        return p;
    }

    // A table of the given scores with names "r1", "r2", ... and a zeroed
    // block, so that its bytes are known exactly. Extra fields of up to 16
    // bytes hold the row number, then 0xEE.
    void Make(int slot, std::vector<int> scores, int descending, int nameWidth = 8, int extraWidth = 2)
    {
        ASSERT_EQ(1, CreateRankTable(slot, (int)scores.size(), nameWidth, extraWidth, descending));
        memset(gRankTables[slot].data, 0, Block(slot).size());
        for (size_t i = 0; i < scores.size(); ++i) {
            std::string name = "r" + std::to_string(i + 1);
            unsigned char extra[16];
            memset(extra, 0xEE, sizeof extra);
            extra[0] = (unsigned char)(i + 1);
            ASSERT_EQ(1, SetRankRow(slot, (int)i + 1, scores[i], name.c_str(), extra));
        }
    }

    std::string Block(int slot)
    {
        const RankTableSlot& t = gRankTables[slot];
        return std::string((const char*)t.data, (size_t)t.rowCount * (4 + t.nameWidth + t.extraWidth));
    }

    std::vector<std::string> Rows(int slot)
    {
        std::vector<std::string> rows;
        for (int row = 1; row <= gRankTables[slot].rowCount; ++row)
            rows.push_back(std::to_string(GetRankScore(slot, row)) + " " + GetRankName(slot, row));
        return rows;
    }

    static std::string ReadAll(const std::string& path)
    {
        std::string bytes;
        return ReadWhole(path, bytes) ? bytes : "<missing>";
    }

    static void WriteAll(const std::string& path, const std::string& bytes) { ASSERT_TRUE(WriteWhole(path, bytes)); }

    // The rank each score would take: {score, position} pairs.
    static void ExpectPositions(int slot, std::vector<std::pair<int, int>> cases)
    {
        for (const auto& c : cases)
            EXPECT_EQ(c.second, FindRankPosition(slot, c.first)) << "score " << c.first;
    }

    std::vector<std::string> paths;
};

TEST_F(RankTableTest, DescendingTableRanksBeforeEqualScores)
{
    Make(0, { 100, 80, 60 }, 1);
    ExpectPositions(0, { { 100, 1 }, { 150, 1 }, { 90, 2 }, { 80, 2 }, { 70, 3 }, { 60, 3 }, { 50, 0 } });
}

TEST_F(RankTableTest, AscendingTableRanksBeforeEqualScores)
{
    Make(19, { 10, 20, 30 }, 0);
    ExpectPositions(19, { { 5, 1 }, { 15, 2 }, { 20, 2 }, { 30, 3 }, { 35, 0 } });
}

TEST_F(RankTableTest, ScoresCompareSigned)
{
    Make(1, { -10, 0, INT_MAX }, 0);
    ExpectPositions(1, { { INT_MIN, 1 }, { -1, 2 }, { 1, 3 } });
    EXPECT_EQ(INT_MAX, GetRankScore(1, 3));
    EXPECT_EQ(-10, GetRankScore(1, 1));
    // Least significant byte first.
    EXPECT_EQ(std::string("\xF6\xFF\xFF\xFF", 4), Block(1).substr(0, 4));
}

TEST_F(RankTableTest, InsertMovesLowerRowsDownAndDropsTheLast)
{
    Make(0, { 100, 80, 60 }, 1);
    unsigned char extra[2] = { 9, 9 };
    EXPECT_EQ(1, InsertRankRow(0, 90, "neu", extra));
    EXPECT_EQ((std::vector<std::string>{ "100 r1", "90 neu", "80 r2" }), Rows(0));
    unsigned char got[2];
    EXPECT_EQ(1, GetRankExtra(0, 3, got));
    EXPECT_EQ(2, got[0]);  // r2's extra moved with it
    EXPECT_EQ(1, GetRankExtra(0, 2, got));
    EXPECT_EQ(9, got[0]);

    // An equal last score is overwritten by the newcomer.
    EXPECT_EQ(1, InsertRankRow(0, 80, "last", extra));
    EXPECT_EQ((std::vector<std::string>{ "100 r1", "90 neu", "80 last" }), Rows(0));

    // Ranking nowhere, or a name too long, changes nothing.
    std::string before = Block(0);
    EXPECT_EQ(0, InsertRankRow(0, 50, "low", extra));
    EXPECT_EQ(0, InsertRankRow(0, 1000, "12345678", extra));
    EXPECT_EQ(before, Block(0));

    EXPECT_EQ(1, InsertRankRow(0, 1000, "1234567", extra));
    EXPECT_EQ((std::vector<std::string>{ "1000 1234567", "100 r1", "90 neu" }), Rows(0));
}

TEST_F(RankTableTest, NamesLiveInsideTheTable)
{
    Make(2, { 30, 20, 10 }, 1);
    const char* second = GetRankName(2, 2);
    EXPECT_STREQ("r2", second);
    InsertRankRow(2, 25, "mid", "xx");
    EXPECT_STREQ("mid", second);  // the place, not the record
    EXPECT_EQ(second, (const char*)gRankTables[2].data + (4 + 8 + 2) + 4);
}

TEST_F(RankTableTest, SetRowChecksRowAndNameLength)
{
    Make(3, { 1, 2 }, 0, 4, 0);
    EXPECT_EQ(0, SetRankRow(3, 0, 5, "a", NULL));
    EXPECT_EQ(0, SetRankRow(3, 3, 5, "a", NULL));
    EXPECT_EQ(0, SetRankRow(3, -1, 5, "a", NULL));
    EXPECT_EQ(0, SetRankRow(3, 1, 5, "abcd", NULL));
    EXPECT_EQ(1, GetRankScore(3, 1));

    EXPECT_EQ(1, SetRankRow(3, 1, 5, "abc", NULL));
    EXPECT_EQ(std::string("\x05\0\0\0abc\0", 8), Block(3).substr(0, 8));
    // A shorter name leaves the bytes after its zero as they were.
    EXPECT_EQ(1, SetRankRow(3, 1, 6, "x", NULL));
    EXPECT_EQ(std::string("\x06\0\0\0x\0c\0", 8), Block(3).substr(0, 8));
}

TEST_F(RankTableTest, ExtraBytesCopyWholeOrNotAtAll)
{
    Make(4, { 7 }, 0, 4, 0);
    unsigned char sentinel[4] = { 0xAA, 0xAA, 0xAA, 0xAA };
    EXPECT_EQ(1, GetRankExtra(4, 1, sentinel));
    EXPECT_EQ(0xAA, sentinel[0]);
    EXPECT_EQ(0, GetRankExtra(4, 2, sentinel));

    Make(5, { 7 }, 0, 4, 3);
    EXPECT_EQ(1, SetRankRow(5, 1, 7, "n", "\x01\x02\x03"));
    EXPECT_EQ(1, GetRankExtra(5, 1, sentinel));
    EXPECT_EQ(0, memcmp(sentinel, "\x01\x02\x03\xAA", 4));
}

TEST_F(RankTableTest, FileBytesAreScrambledByTheirOffset)
{
    ASSERT_EQ(1, CreateRankTable(6, 10, 28, 0, 1));  // 320 bytes, past offset 256
    memset(gRankTables[6].data, 0, 320);
    SetRankRow(6, 1, 1, "", NULL);
    for (int row = 2; row <= 10; ++row)
        SetRankRow(6, row, 0x01010101 * row, "abc", NULL);
    std::string plain = Block(6);
    std::string path = TempPath("scramble");
    EXPECT_EQ(1, SaveRankTable(6, path.c_str()));
    EXPECT_EQ(plain, Block(6));

    std::string file = ReadAll(path);
    ASSERT_EQ(320u, file.size());
    EXPECT_EQ(std::string("\x01\x01\x02\x03\x04", 5), file.substr(0, 5));
    EXPECT_EQ((char)(plain[256] ^ 0), file[256]);
    EXPECT_EQ((char)(plain[257] ^ 1), file[257]);
    for (size_t i = 0; i < file.size(); ++i)
        ASSERT_EQ((char)(plain[i] ^ (char)i), file[i]) << "offset " << i;
}

TEST_F(RankTableTest, SaveAndLoadRestoreEveryRow)
{
    Make(7, { 50, 40, 30, 20 }, 1);
    std::string path = TempPath("roundtrip");
    ASSERT_EQ(1, SaveRankTable(7, path.c_str()));
    ASSERT_EQ(1, CreateRankTable(8, 4, 8, 2, 1));
    EXPECT_EQ(1, LoadRankTable(8, path.c_str()));
    EXPECT_EQ(Block(7), Block(8));

    // A longer file gives its first rows; the rest is ignored.
    WriteAll(path, ReadAll(path) + "trailing bytes");
    Make(9, { 1, 2, 3, 4 }, 0);
    EXPECT_EQ(1, LoadRankTable(9, path.c_str()));
    EXPECT_EQ(Block(7), Block(9));
}

TEST_F(RankTableTest, AFailedSaveReportsItAndLeavesTheTable)
{
    Make(10, { 3, 2, 1 }, 1);
    std::string before = Block(10);
    std::string path = TempPath("nofolder/table");
    EXPECT_EQ(0, SaveRankTable(10, path.c_str()));
    EXPECT_EQ(before, Block(10));
    EXPECT_EQ("<missing>", ReadAll(path));
}

TEST_F(RankTableTest, AShortOrMissingFileLeavesTheTableAsItWas)
{
    Make(11, { 3, 2, 1 }, 1);
    std::string before = Block(11);
    std::string path = TempPath("short");
    ASSERT_EQ(1, SaveRankTable(11, path.c_str()));
    std::string whole = ReadAll(path);
    Make(12, { 9, 8, 7 }, 1);
    std::string other = Block(12);

    WriteAll(path, whole.substr(0, whole.size() - 1));
    EXPECT_EQ(0, LoadRankTable(12, path.c_str()));
    EXPECT_EQ(other, Block(12));
    WriteAll(path, "");
    EXPECT_EQ(0, LoadRankTable(12, path.c_str()));
    EXPECT_EQ(other, Block(12));
    EXPECT_EQ(0, LoadRankTable(12, TempPath("missing").c_str()));
    EXPECT_EQ(other, Block(12));

    // The last row's name field all letters: GetRankName would run past the block.
    std::string unended = whole;
    size_t last = 2 * (4 + 8 + 2) + 4;
    for (size_t i = last; i < last + 8; ++i)
        unended[i] = (char)('x' ^ (unsigned char)i);
    WriteAll(path, unended);
    EXPECT_EQ(0, LoadRankTable(12, path.c_str()));
    EXPECT_EQ(other, Block(12));
}

TEST_F(RankTableTest, SlotsOutsideTheRangeAreRefusedEverywhere)
{
    const int bad[] = { -1, 20, INT_MIN, INT_MAX };
    std::string path = TempPath("badslot");
    WriteAll(path, std::string(64, 'x'));
    for (int slot : bad) {
        EXPECT_EQ(0, CreateRankTable(slot, 3, 8, 0, 1)) << slot;
        FreeRankTable(slot);
        EXPECT_EQ(0, SetRankRow(slot, 1, 1, "a", NULL)) << slot;
        EXPECT_EQ(0, GetRankScore(slot, 1)) << slot;
        EXPECT_TRUE(GetRankName(slot, 1) == NULL) << slot;
        char extra[1];
        EXPECT_EQ(0, GetRankExtra(slot, 1, extra)) << slot;
        EXPECT_EQ(0, FindRankPosition(slot, 1)) << slot;
        EXPECT_EQ(0, InsertRankRow(slot, 1, "a", NULL)) << slot;
        EXPECT_EQ(0, LoadRankTable(slot, path.c_str())) << slot;
        EXPECT_EQ(0, SaveRankTable(slot, TempPath("badsave").c_str())) << slot;
    }
    EXPECT_EQ(std::string(64, 'x'), ReadAll(path));
}

TEST_F(RankTableTest, EmptySlotsAnswerWithoutTouchingMemory)
{
    Make(13, { 1 }, 1);
    FreeRankTable(13);
    FreeRankTable(13);  // already empty: nothing happens
    EXPECT_TRUE(gRankTables[13].data == NULL);
    EXPECT_EQ(1, gRankTables[13].rowCount);  // the geometry stays
    std::string path = TempPath("empty");
    EXPECT_EQ(0, SetRankRow(13, 1, 1, "a", NULL));
    EXPECT_EQ(0, GetRankScore(13, 1));
    EXPECT_TRUE(GetRankName(13, 1) == NULL);
    EXPECT_EQ(0, FindRankPosition(13, 1));
    EXPECT_EQ(0, InsertRankRow(13, 1, "a", NULL));
    EXPECT_EQ(0, SaveRankTable(13, path.c_str()));
    EXPECT_EQ("<missing>", ReadAll(path));
    EXPECT_EQ(0, LoadRankTable(13, path.c_str()));
}

TEST_F(RankTableTest, BlockSizesThatDoNotFitAreRefused)
{
    EXPECT_EQ(0, CreateRankTable(14, 0x10000, 0x10000, 0, 1));  // 2^32 + 2^18 bytes
    EXPECT_EQ(0, CreateRankTable(14, 1, INT_MAX, INT_MAX, 1));
    EXPECT_EQ(0, CreateRankTable(14, 2, 0x3FFFFFFE, 0, 1));      // exactly 2^31
    EXPECT_EQ(0, CreateRankTable(14, -1, 8, 0, 1));
    EXPECT_EQ(0, CreateRankTable(14, 1, -5, 0, 1));
    EXPECT_EQ(0, CreateRankTable(14, 1, 8, -4, 1));
    EXPECT_TRUE(gRankTables[14].data == NULL);

    // A table of no rows is a table that nothing ranks in.
    ASSERT_EQ(1, CreateRankTable(14, 0, 8, 0, 1));
    EXPECT_EQ(0, FindRankPosition(14, 5));
    EXPECT_EQ(0, InsertRankRow(14, 5, "a", NULL));
}

TEST_F(RankTableTest, AFailedCreateLeavesTheSlotEmpty)
{
    Make(15, { 1, 2 }, 1);
    // The caller forgot to free first; the refused table must not leave the
    // old block under the new geometry. (Host build: blocks come from malloc.)
    void* old = gRankTables[15].memory;
    EXPECT_EQ(0, CreateRankTable(15, 0x10000, 0x10000, 0, 1));
    EXPECT_TRUE(gRankTables[15].data == NULL);
    EXPECT_EQ(0, GetRankScore(15, 1));
    free(old);
}

}  // namespace
