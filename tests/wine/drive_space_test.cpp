// The space figures and the drive test against the drives that
// tests/wine/drives.sh maps: removable A: B: E:, fixed D: on the host disk,
// CD-ROM F:, network N:, and the tmpfs drives S: (1 MB) and T: (8 MB).
#include <gtest/gtest.h>
#include <windows.h>

#include "pages/drive_space.h"
#include "setup/setup_state.h"

namespace {

const DWORD FourGiBInKB = 4u * 1024 * 1024;

TEST(SpaceNeeded, IsTwiceThePayloadInWholeKBPlusTwoMB)
{
    gSetup.payloadSize = 3724297;  // the shipped payload
    EXPECT_EQ(9322u, SpaceNeededKB());
    gSetup.payloadSize = 1023;
    EXPECT_EQ(2048u, SpaceNeededKB());
    gSetup.payloadSize = 1024;
    EXPECT_EQ(2050u, SpaceNeededKB());
    gSetup.payloadSize = 0xFFFFFFFF;
    EXPECT_EQ(4194303u * 2 + 2048, SpaceNeededKB());
}

TEST(FreeSpace, ClusterFiguresAboveFourGiBDoNotWrap)
{
    EXPECT_EQ(4000u, KBFromClusters(8, 512, 1000));
    // 8,192,000,000 bytes: a 32-bit product would give 3,805,696 KB.
    EXPECT_EQ(8000000u, KBFromClusters(8, 512, 2000000));
    EXPECT_EQ(0u, KBFromClusters(0, 512, 2000000));
    // More KB than 32 bits hold, and more bytes than 64 bits hold: capped.
    EXPECT_EQ(0xFFFFFFFFu, KBFromClusters(128, 65536, 0xFFFFFFFF));
    EXPECT_EQ(0xFFFFFFFFu, KBFromClusters(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF));
}

TEST(FreeSpace, SmallDrivesAreExact)
{
    EXPECT_EQ(1024u, FreeSpaceKB("S:\\"));
    EXPECT_EQ(8192u, FreeSpaceKB("t:\\"));
    EXPECT_EQ(8192u, FreeSpaceOfLetter('t'));
    DWORD kb = 1;
    ASSERT_EQ(1, QueryFreeSpaceKB("T:\\", NULL, &kb));
    EXPECT_EQ(8192u, kb);
}

TEST(FreeSpace, UnknownRootsGiveZero)
{
    DWORD kb = 7;
    EXPECT_EQ(0, QueryFreeSpaceKB("Q:\\", FindDiskFreeSpaceEx(), &kb));
    EXPECT_EQ(0, QueryFreeSpaceKB("Q:\\", NULL, &kb));
    EXPECT_EQ(7u, kb);
    EXPECT_EQ(0u, FreeSpaceKB("Q:\\"));
    EXPECT_EQ(0u, FreeSpaceKB("\\:\\"));
    EXPECT_EQ(0u, FreeSpaceOfLetter('A'));
    EXPECT_EQ(0u, FreeSpaceOfLetter('\0'));
    EXPECT_EQ(0u, FreeSpaceOfLetter('\xC4'));
}

TEST(FreeSpace, TheHostDiskShowsMoreThanFourGiBEitherWay)
{
    ULARGE_INTEGER available, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("D:\\", &available, &total, &totalFree));
    if (available.QuadPart < 5ull << 30)
        GTEST_SKIP() << "the host disk has less than 5 GiB free";
    ASSERT_TRUE(FindDiskFreeSpaceEx() != NULL);
    DWORD throughEx = 0, throughClusters = 0;
    ASSERT_EQ(1, QueryFreeSpaceKB("D:\\", FindDiskFreeSpaceEx(), &throughEx));
    ASSERT_EQ(1, QueryFreeSpaceKB("D:\\", NULL, &throughClusters));
    EXPECT_GT(throughEx, FourGiBInKB);
    EXPECT_GT(throughClusters, FourGiBInKB);
    // Others write to this disk meanwhile: the two figures agree to 1 GiB.
    EXPECT_NEAR((double)throughEx, (double)(available.QuadPart >> 10), 1024.0 * 1024);
    EXPECT_NEAR((double)throughEx, (double)throughClusters, 1024.0 * 1024);
}

TEST(CheckTargetDrive, AcceptsFixedAndRemovableDrivesFromCToZ)
{
    gSetup.payloadSize = 3724297;
    EXPECT_EQ(1, CheckTargetDrive("C:\\Spiele\\"));
    EXPECT_EQ(1, CheckTargetDrive("c:\\spiele\\"));
    EXPECT_EQ(1, CheckTargetDrive("D:\\"));
    EXPECT_EQ(1, CheckTargetDrive("e:\\Spiele"));  // removable
}

TEST(CheckTargetDrive, RefusesEverythingElse)
{
    gSetup.payloadSize = 3724297;
    EXPECT_EQ(0, CheckTargetDrive("a:\\Spiele\\"));  // removable, with space
    EXPECT_EQ(0, CheckTargetDrive("B:\\Spiele\\"));
    EXPECT_EQ(0, CheckTargetDrive("C:"));
    EXPECT_EQ(0, CheckTargetDrive("C:Spiele"));
    EXPECT_EQ(0, CheckTargetDrive("C:/Spiele"));
    EXPECT_EQ(0, CheckTargetDrive("\\\\server\\share\\"));
    EXPECT_EQ(0, CheckTargetDrive(""));
    EXPECT_EQ(0, CheckTargetDrive("F:\\Spiele"));  // CD-ROM, with space
    EXPECT_EQ(0, CheckTargetDrive("N:\\Spiele"));  // network, with space
    EXPECT_EQ(0, CheckTargetDrive("S:\\Spiele"));  // 1 MB free
    EXPECT_EQ(0, CheckTargetDrive("Q:\\Spiele"));  // no such drive
    EXPECT_EQ(0, CheckTargetDrive("[:\\"));
    EXPECT_EQ(0, CheckTargetDrive("\xE3:\\"));  // upper-casing stops at z
}

TEST(CheckTargetDrive, ExactlyEnoughSpacePasses)
{
    // T: has 8192 KB free; needed = (payload >> 10) * 2 + 2048.
    gSetup.payloadSize = 3072u << 10;
    ASSERT_EQ(8192u, SpaceNeededKB());
    EXPECT_EQ(1, CheckTargetDrive("T:\\Spiele\\"));
    gSetup.payloadSize += 1023;
    EXPECT_EQ(1, CheckTargetDrive("T:\\Spiele\\"));
    gSetup.payloadSize += 1;
    EXPECT_EQ(0, CheckTargetDrive("T:\\Spiele\\"));
}

}  // namespace
