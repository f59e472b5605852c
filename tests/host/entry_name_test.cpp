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
    ExpectInside(1, {"kovra.exe", "sfx\\a.wav", "a\\c d.txt", "..a", "a..\\.b",
        "\xFC" "ber.txt"});
}

// The extraction makes, and the log records, one folder level for a file.
TEST(EntryNameInsideTarget, NamesMoreThanOneFolderDeepAreRefused)
{
    ExpectInside(0, {"a\\b\\c d.txt", "a/b/c", "a\\b/c", "sfx\\sub\\a.wav"});
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

// Every name Windows gives to a device, in either part, with an extension
// or trailing blanks, and the names beside them that are plain files.
TEST(EntryNameInsideTarget, DeviceNamesAreRefusedInAnyPart)
{
    ExpectInside(0, {"CON", "con.txt", "sfx\\Nul", "aux \\a.wav", "COM1", "lpt9.dat", "prn.a.b",
        "com0", "LPT0.txt", "COM\xB9", "com\xB2.dat", "lpt\xB3", "sfx\\LPT\xB9 .x",
        "CONIN$", "conout$.log", "sfx\\ConOut$ ", "conin$ .txt"});
    ExpectInside(1, {"com10", "console.txt", "icon.bmp", "nul_\\x", "com\xB4", "lpt\xBC",
        "conin", "conout", "conin$$", "xconout$", "com", "lpt.txt"});
}

TEST(EntryNameReserved, SetupsOwnFilesInTheTargetAreReserved)
{
    ExpectReserved(1, {"deinst.log", "DEINST.LOG", "deinst.log. ", "Temp.Uni", "temp.un_"});
    ExpectReserved(0, {"sfx\\deinst.log", "deinst.lo", "deinst.logs", "uninst.exe", ""});
}
