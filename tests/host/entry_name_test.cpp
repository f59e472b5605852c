// Archive entry names that would put a file outside the target folder.
#include <gtest/gtest.h>

#include "engine/entry_name.h"

TEST(EntryNameInsideTarget, PlainNamesAndOneSubFolderPass)
{
    EXPECT_EQ(1, EntryNameInsideTarget("kovra.exe"));
    EXPECT_EQ(1, EntryNameInsideTarget("sfx\\a.wav"));
    EXPECT_EQ(1, EntryNameInsideTarget("a\\b\\c d.txt"));
    EXPECT_EQ(1, EntryNameInsideTarget("..a"));
    EXPECT_EQ(1, EntryNameInsideTarget("a..\\.b"));
    EXPECT_EQ(1, EntryNameInsideTarget("\xFC" "ber.txt"));
}

TEST(EntryNameInsideTarget, ParentPartsAreRefusedWithEitherSeparator)
{
    EXPECT_EQ(0, EntryNameInsideTarget(".."));
    EXPECT_EQ(0, EntryNameInsideTarget("..\\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx\\..\\..\\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx/../../evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx\\.."));
    // Windows drops trailing dots and blanks: these mean ".." or "." too.
    EXPECT_EQ(0, EntryNameInsideTarget("...\\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget(".. \\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("."));
    EXPECT_EQ(0, EntryNameInsideTarget(" \\evil.txt"));
}

TEST(EntryNameInsideTarget, RootsDrivesStreamsAndEmptyPartsAreRefused)
{
    EXPECT_EQ(0, EntryNameInsideTarget(""));
    EXPECT_EQ(0, EntryNameInsideTarget(NULL));
    EXPECT_EQ(0, EntryNameInsideTarget("\\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("/evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("\\\\server\\share\\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("C:\\evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("C:evil.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx\\a.wav:stream"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx\\\\a.wav"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx\\"));
}

TEST(EntryNameInsideTarget, DeviceNamesAreRefusedInAnyPart)
{
    EXPECT_EQ(0, EntryNameInsideTarget("CON"));
    EXPECT_EQ(0, EntryNameInsideTarget("con.txt"));
    EXPECT_EQ(0, EntryNameInsideTarget("sfx\\Nul"));
    EXPECT_EQ(0, EntryNameInsideTarget("aux \\a.wav"));
    EXPECT_EQ(0, EntryNameInsideTarget("COM1"));
    EXPECT_EQ(0, EntryNameInsideTarget("lpt9.dat"));
    EXPECT_EQ(1, EntryNameInsideTarget("com0"));
    EXPECT_EQ(1, EntryNameInsideTarget("com10"));
    EXPECT_EQ(1, EntryNameInsideTarget("console.txt"));
    EXPECT_EQ(1, EntryNameInsideTarget("icon.bmp"));
    EXPECT_EQ(1, EntryNameInsideTarget("nul_\\x"));
}

TEST(EntryNameReserved, SetupsOwnFilesInTheTargetAreReserved)
{
    EXPECT_EQ(1, EntryNameReserved("deinst.log"));
    EXPECT_EQ(1, EntryNameReserved("DEINST.LOG"));
    EXPECT_EQ(1, EntryNameReserved("deinst.log. "));
    EXPECT_EQ(1, EntryNameReserved("Temp.Uni"));
    EXPECT_EQ(1, EntryNameReserved("temp.un_"));
    EXPECT_EQ(0, EntryNameReserved("sfx\\deinst.log"));
    EXPECT_EQ(0, EntryNameReserved("deinst.lo"));
    EXPECT_EQ(0, EntryNameReserved("deinst.logs"));
    EXPECT_EQ(0, EntryNameReserved("uninst.exe"));
    EXPECT_EQ(0, EntryNameReserved(""));
}
