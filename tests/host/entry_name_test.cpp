// Archive entry names that would put a file outside the target folder.
#include <gtest/gtest.h>

#include "engine/entry_name.h"

#include <initializer_list>

// Each name, with the result it must give; the name is in the message.
static void ExpectInside(int expected, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        EXPECT_EQ(expected, EntryNameInsideTarget(name)) << (name ? name : "NULL");
}

static void ExpectReserved(int expected, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        EXPECT_EQ(expected, EntryNameReserved(name)) << name;
}

TEST(EntryNameInsideTarget, PlainNamesAndOneSubFolderPass)
{
    ExpectInside(1, {"kovra.exe", "sfx\\a.wav", "a\\b\\c d.txt", "..a", "a..\\.b",
        "\xFC" "ber.txt"});
}

TEST(EntryNameInsideTarget, ParentPartsAreRefusedWithEitherSeparator)
{
    ExpectInside(0, {"..", "..\\evil.txt", "sfx\\..\\..\\evil.txt", "sfx/../../evil.txt",
        "sfx\\.."});
    // Windows drops trailing dots and blanks: these mean ".." or "." too.
    ExpectInside(0, {"...\\evil.txt", ".. \\evil.txt", ".", " \\evil.txt"});
}

TEST(EntryNameInsideTarget, RootsDrivesStreamsAndEmptyPartsAreRefused)
{
    ExpectInside(0, {"", NULL, "\\evil.txt", "/evil.txt", "\\\\server\\share\\evil.txt",
        "C:\\evil.txt", "C:evil.txt", "sfx\\a.wav:stream", "sfx\\\\a.wav", "sfx\\"});
}

TEST(EntryNameInsideTarget, DeviceNamesAreRefusedInAnyPart)
{
    ExpectInside(0, {"CON", "con.txt", "sfx\\Nul", "aux \\a.wav", "COM1", "lpt9.dat"});
    ExpectInside(1, {"com0", "com10", "console.txt", "icon.bmp", "nul_\\x"});
}

TEST(EntryNameReserved, SetupsOwnFilesInTheTargetAreReserved)
{
    ExpectReserved(1, {"deinst.log", "DEINST.LOG", "deinst.log. ", "Temp.Uni", "temp.un_"});
    ExpectReserved(0, {"sfx\\deinst.log", "deinst.lo", "deinst.logs", "uninst.exe", ""});
}
