// The archive reader against archives from the payload builder's writer,
// changed byte by byte where a test needs them broken: cut short, lying
// counts, unterminated names.
#include "engine/resfile.h"
#include "support/stream.h"
#include "tests/resfile_readers.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/file_bytes.h"
#include "tests/support/payloads.h"

namespace {

using fx::Bytes;
using fx::Entry;

class ResFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        readers_.CloseAll();
        for (const std::string& p : paths_)
            unlink(p.c_str());
    }

    std::string Write(const Bytes& bytes)
    {
        char path[] = "/tmp/resfile_test_XXXXXX";
        int fd = mkstemp(path);
        EXPECT_GE(fd, 0);
        close(fd);
        EXPECT_TRUE(WriteWhole(path, bytes));
        paths_.push_back(path);
        return path;
    }

    ResFileReader* Open(const std::string& path) { return readers_.Open(path); }

    std::vector<std::string> paths_;
    ResFileReaders readers_;
};

const std::vector<Entry> kGame = {
    {"uninst.exe", "MZ-uninstaller"},
    {"kovra.exe", "MZ-game"},
    {"maps\\level01.map", "level data"},
    {"empty.txt", ""},
    {"sound\\Kick.wav", "RIFF...."},
};

TEST_F(ResFileTest, OpensDirectoryAndFindsEntriesWithoutRegardToAsciiCase)
{
    Bytes bytes = fx::Archive(kGame);
    ResFileReader* r = Open(Write(bytes));
    ASSERT_TRUE(r != 0);
    EXPECT_EQ(5u, ResFileCount(r));
    EXPECT_STREQ("maps\\level01.map", ResFileEntryName(r, 2));
    EXPECT_STREQ("", ResFileEntryName(r, 5));

    // The stream stands at the first data byte after the open.
    const unsigned int first = 27 + 136 * 5;
    EXPECT_EQ(first, StreamTell(ResFileStream(r)));
    EXPECT_EQ(first, ResFileFindOffset(r, "UNINST.EXE"));
    EXPECT_EQ(14u, ResFileFindSize(r, "Uninst.Exe"));
    EXPECT_EQ(8u, ResFileFindSize(r, "SOUND\\kick.WAV"));

    // The last entry's data end exactly at the end of the file.
    unsigned int lastEnd = ResFileFindOffset(r, "sound\\kick.wav") + ResFileFindSize(r, "sound\\kick.wav");
    EXPECT_EQ(bytes.size(), lastEnd);

    // Reading through the stream gives the entry's bytes.
    Stream* f = ResFileStream(r);
    char buf[16] = {0};
    ASSERT_EQ(1, StreamSeek(f, ResFileFindOffset(r, "kovra.exe")));
    ASSERT_EQ(7u, StreamRead(f, buf, ResFileFindSize(r, "kovra.exe")));
    EXPECT_STREQ("MZ-game", buf);

    // Absent names, prefixes and longer names answer 0 for both look-ups.
    for (const char* absent : {"missing.dat", "kovra", "kovra.exe2", "", "maps\\level01.ma"}) {
        EXPECT_EQ(0u, ResFileFindOffset(r, absent)) << absent;
        EXPECT_EQ(0u, ResFileFindSize(r, absent)) << absent;
    }
    // An empty entry has size 0 but a real offset.
    EXPECT_NE(0u, ResFileFindOffset(r, "empty.txt"));
    EXPECT_EQ(0u, ResFileFindSize(r, "empty.txt"));
}

TEST_F(ResFileTest, FoldsOnlyAsciiLettersAndAnswersWithTheFirstMatch)
{
    std::vector<Entry> entries = {
        {"m\xE4nner.txt", "lower a-umlaut"},
        {"[x]", "brackets"},
        {"Same.dat", "first"},
        {"SAME.DAT", "second!"},
    };
    // Names equal without regard to case: the writer refuses them.
    ResFileReader* r = Open(Write(fx::ArchiveAnyNames(entries)));
    ASSERT_TRUE(r != 0);
    EXPECT_EQ(14u, ResFileFindSize(r, "M\xE4NNER.TXT"));
    EXPECT_EQ(0u, ResFileFindSize(r, "m\xC4nner.txt"));  // no folding outside A-Z
    EXPECT_EQ(0u, ResFileFindSize(r, "{X}"));  // '[' + 32 is '{'; not a letter
    EXPECT_EQ(5u, ResFileFindSize(r, "same.dat"));
    EXPECT_EQ(ResFileFindOffset(r, "Same.dat"), ResFileFindOffset(r, "SAME.DAT"));
}

TEST_F(ResFileTest, ComparesOnlySevenMagicBytes)
{
    Bytes bytes = fx::Archive(kGame);
    bytes[7] = 'X';
    bytes[22] = 0x55;
    ResFileReader* first = Open(Write(bytes));
    ASSERT_TRUE(first != 0);
    readers_.CloseAll();

    for (int i = 0; i < 7; ++i) {
        Bytes broken = fx::Archive(kGame);
        broken[i] ^= 0x20;
        EXPECT_TRUE(Open(Write(broken)) == 0) << "byte " << i;
    }
    EXPECT_TRUE(Open("/nonexistent/archive.uni") == 0);
}

TEST_F(ResFileTest, FileEndingInsideHeaderCountOrDirectoryFails)
{
    Bytes bytes = fx::Archive(kGame);
    const size_t directoryEnd = 27 + 136 * kGame.size();
    for (size_t len = 0; len < directoryEnd; ++len) {
        Bytes cut(bytes.begin(), bytes.begin() + len);
        EXPECT_TRUE(Open(Write(cut)) == 0) << "length " << len;
    }
    // Just the directory and no data is a whole (if odd) archive.
    Bytes dirOnly(bytes.begin(), bytes.begin() + directoryEnd);
    EXPECT_TRUE(Open(Write(dirOnly)) != 0);
}

TEST_F(ResFileTest, CountsThatCannotBeTrueFailBeforeAllocating)
{
    Bytes bytes = fx::Archive(kGame);
    // 0x20000000 x 136 wraps to 0 in 32 bits; 0x01E1E1E2 x 136 wraps to 16.
    for (unsigned int count : {0x20000000u, 0x01E1E1E2u, 0xFFFFFFFFu, 6u, 1000000u}) {
        Bytes lying = bytes;
        lying[23] = (unsigned char)count;
        lying[24] = (unsigned char)(count >> 8);
        lying[25] = (unsigned char)(count >> 16);
        lying[26] = (unsigned char)(count >> 24);
        EXPECT_TRUE(Open(Write(lying)) == 0) << "count " << count;
    }
    // Count 0: an empty archive opens and finds nothing.
    ResFileReader* r = Open(Write(fx::Archive({})));
    ASSERT_TRUE(r != 0);
    EXPECT_EQ(0u, ResFileCount(r));
    EXPECT_EQ(0u, ResFileFindOffset(r, "uninst.exe"));
}

TEST_F(ResFileTest, NameWithoutZeroByteEndsAtItsField)
{
    const std::string full(128, 'A');
    std::vector<Entry> entries = {{full, "12345"}, {"b.txt", "b"}};
    Bytes bytes = fx::ArchiveAnyNames(entries);  // the offset field right after the name is non-zero
    ResFileReader* r = Open(Write(bytes));
    ASSERT_TRUE(r != 0);
    EXPECT_EQ(full, std::string(ResFileEntryName(r, 0)));
    EXPECT_EQ(5u, ResFileFindSize(r, full.c_str()));
    EXPECT_EQ(5u, ResFileFindSize(r, std::string(128, 'a').c_str()));
    EXPECT_EQ(0u, ResFileFindSize(r, (full + "\x13").c_str()));
    EXPECT_EQ(0u, ResFileFindSize(r, std::string(127, 'A').c_str()));
    EXPECT_EQ(1u, ResFileFindSize(r, "b.txt"));
}

TEST_F(ResFileTest, FailedOpenLeavesAnOpenArchiveAlone)
{
    ResFileReader* r = Open(Write(fx::Archive(kGame)));
    ASSERT_TRUE(r != 0);
    Bytes bad = fx::Archive(kGame);
    bad.resize(100);
    EXPECT_TRUE(Open(Write(bad)) == 0);
    EXPECT_TRUE(Open("/nonexistent") == 0);
    // Still the first archive; a second one opens beside it.
    EXPECT_EQ(14u, ResFileFindSize(r, "uninst.exe"));
    ResFileReader* second = Open(Write(fx::Archive(kGame)));
    ASSERT_TRUE(second != 0);
    EXPECT_EQ(14u, ResFileFindSize(second, "uninst.exe"));
    EXPECT_EQ(14u, ResFileFindSize(r, "uninst.exe"));
    readers_.CloseAll();
    ResFileClose(NULL);  // does nothing
}

}  // namespace
