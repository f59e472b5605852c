// Ranked record tables on Windows: fixed global blocks and Windows paths.
#include <gtest/gtest.h>
#include <windows.h>

#include "support/rank_table.h"

namespace {

TEST(RankTableOnWindows, ABlockTheSystemCannotGiveLeavesTheSlotEmpty)
{
    if (sizeof(void*) > 4)
        GTEST_SKIP() << "a 64-bit process may well get 2 GiB in one piece";
    InitRankTables();
    // Just under 2 GiB: more than a 32-bit process has in one piece.
    EXPECT_EQ(0, CreateRankTable(0, 0x7FFFFFF0 / 16, 12, 0, 1));
    EXPECT_TRUE(gRankTables[0].data == NULL);
    EXPECT_TRUE(gRankTables[0].memory == NULL);
    EXPECT_EQ(0, GetRankScore(0, 1));
}

TEST(RankTableOnWindows, SaveAndLoadThroughAWindowsPath)
{
    InitRankTables();
    ASSERT_EQ(1, CreateRankTable(3, 2, 6, 1, 0));
    ASSERT_EQ(1, SetRankRow(3, 1, 10, "links", "L"));
    ASSERT_EQ(1, SetRankRow(3, 2, 20, "recht", "R"));
    ASSERT_EQ(1, SaveRankTable(3, "C:\\ranks.dat"));

    HANDLE file = CreateFileA("C:\\ranks.dat", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(22u, GetFileSize(file, NULL));
    CloseHandle(file);

    ASSERT_EQ(1, CreateRankTable(4, 2, 6, 1, 0));
    EXPECT_EQ(1, LoadRankTable(4, "C:\\ranks.dat"));
    EXPECT_EQ(20, GetRankScore(4, 2));
    EXPECT_STREQ("recht", GetRankName(4, 2));
    char extra = 0;
    EXPECT_EQ(1, GetRankExtra(4, 2, &extra));
    EXPECT_EQ('R', extra);
    EXPECT_EQ(1, FreeRankTables());
    EXPECT_TRUE(gRankTables[4].data == NULL);
    DeleteFileA("C:\\ranks.dat");
}

}  // namespace
