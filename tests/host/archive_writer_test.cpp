// The archive writer: what it writes is what the setup's reader reads, in
// the order the setup relies on, and every input it must refuse is refused
// with a message that names the problem.
#include "engine/entry_name.h"
#include "engine/resfile.h"
#include "support/stream.h"
#include "tests/resfile_readers.h"
#include "tools/archive_writer.h"
#include "tests/file_bytes.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const std::vector<ArchiveEntry>& entries)
{
    std::vector<std::string> names;
    for (const ArchiveEntry& e : entries)
        names.push_back(e.name);
    return names;
}

class ArchiveWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char path[] = "/tmp/archive_writer_XXXXXX";
        ASSERT_TRUE(mkdtemp(path) != 0);
        root_ = path;
    }
    void TearDown() override
    {
        readers_.CloseAll();
        std::string cmd = "rm -rf '" + root_ + "'";
        ASSERT_EQ(0, system(cmd.c_str()));
    }
    std::string Put(const std::string& relative, const std::string& data)
    {
        std::string path = root_ + "/" + relative;
        for (size_t slash = path.find('/', root_.size() + 1); slash != std::string::npos;
             slash = path.find('/', slash + 1))
            mkdir(path.substr(0, slash).c_str(), 0755);
        EXPECT_TRUE(WriteWhole(path, data)) << path;
        return path;
    }
    // Collects, sorts, checks; the error when any step refuses.
    std::string Refusal(const std::string& folder)
    {
        std::vector<ArchiveEntry> entries;
        std::string error;
        if (ArchiveCollectFolder(folder, entries, error)) {
            ArchiveSortEntries(entries);
            if (ArchiveCheckEntries(entries, error))
                return "";
        }
        return error;
    }
    std::string root_;
    ResFileReaders readers_;
};

TEST_F(ArchiveWriterTest, WritesWhatTheReaderReads)
{
    Put("uninst.exe", "MZ uninstaller");
    Put("kovra.exe", "MZ game");
    Put("empty.txt", "");
    Put("gfx/Title.bmp", std::string(3000, 'B'));
    Put("sfx/kick.wav", "RIFF");
    std::vector<ArchiveEntry> entries;
    std::string error;
    ASSERT_EQ(1, ArchiveCollectFolder(root_, entries, error)) << error;
    ArchiveSortEntries(entries);
    std::string path = root_ + ".uni";
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_TRUE(out != 0);
    ASSERT_EQ(1, ArchiveWrite(entries, out, error)) << error;
    fclose(out);

    ResFileReader* r = readers_.Open(path);
    ASSERT_TRUE(r != 0);
    ASSERT_EQ(5u, ResFileCount(r));
    EXPECT_STREQ("uninst.exe", ResFileEntryName(r, 0));
    EXPECT_STREQ("empty.txt", ResFileEntryName(r, 1));
    EXPECT_STREQ("kovra.exe", ResFileEntryName(r, 2));
    EXPECT_STREQ("gfx\\Title.bmp", ResFileEntryName(r, 3));
    EXPECT_STREQ("sfx\\kick.wav", ResFileEntryName(r, 4));
    // Back to back in directory order, from right after the directory to
    // the end of the file.
    unsigned expected = 27 + 136 * 5;
    for (unsigned i = 0; i < 5; ++i) {
        std::string name = ResFileEntryName(r, i);
        EXPECT_EQ(expected, ResFileFindOffset(r, name.c_str())) << name;
        // Taken by index, as the extraction takes it: the same data.
        unsigned offset = 0, size = 0;
        EXPECT_EQ(1, ResFileEntryData(r, i, &offset, &size)) << name;
        EXPECT_EQ(expected, offset) << name;
        EXPECT_EQ(ResFileFindSize(r, name.c_str()), size) << name;
        expected += ResFileFindSize(r, name.c_str());
    }
    struct stat st;
    ASSERT_EQ(0, stat(path.c_str(), &st));
    EXPECT_EQ((off_t)expected, st.st_size);
    EXPECT_EQ(ArchiveSize(entries), (uint64_t)st.st_size);
    Stream* f = ResFileStream(r);
    char buf[8] = {0};
    ASSERT_EQ(1, StreamSeek(f, ResFileFindOffset(r, "KOVRA.EXE")));
    ASSERT_EQ(7u, StreamRead(f, buf, 7));
    EXPECT_STREQ("MZ game", buf);
    readers_.CloseAll();

    // The same archive from held data, byte for byte.
    std::vector<ArchiveEntry> held;
    for (const ArchiveEntry& e : entries) {
        std::string data;
        ASSERT_TRUE(ReadWhole(e.hostPath, data));
        ASSERT_EQ(e.size, data.size());
        held.push_back(ArchiveHeldEntry(e.name, data));
    }
    std::vector<unsigned char> memory;
    ASSERT_EQ(1, ArchiveWriteMemory(held, memory, error));
    std::vector<unsigned char> file;
    ASSERT_TRUE(ReadWhole(path, file));
    EXPECT_EQ(memory, file);
    unlink(path.c_str());
}

TEST_F(ArchiveWriterTest, OrdersTheUninstallerFirstThenFilesBeforeFolders)
{
    std::vector<ArchiveEntry> entries = {
        ArchiveHeldEntry("b.txt", ""),       ArchiveHeldEntry("Zeta\\a.txt", ""), ArchiveHeldEntry("a\\B\\c.txt", ""),
        ArchiveHeldEntry("A.txt", ""),       ArchiveHeldEntry("a\\z.txt", ""),    ArchiveHeldEntry("data\\uninst.exe", ""),
        ArchiveHeldEntry("UNINST.EXE", ""),  ArchiveHeldEntry("a\\b.txt", "")};
    ArchiveSortEntries(entries);
    std::vector<std::string> expected = {"UNINST.EXE", "A.txt", "b.txt", "a\\b.txt", "a\\z.txt",
                                         "a\\B\\c.txt", "data\\uninst.exe", "Zeta\\a.txt"};
    EXPECT_EQ(expected, Names(entries));
}

TEST_F(ArchiveWriterTest, ConvertsHostNamesToCp1252)
{
    Put("Gr\xC3\xBC\xC3\x9F" "e.txt", "hello");       // UTF-8 u-umlaut, sharp s
    Put("\xE2\x82\xAC" "uro/\xC5\x92" "uvre.txt", "x");  // euro sign, OE ligature
    std::vector<ArchiveEntry> entries;
    std::string error;
    ASSERT_EQ(1, ArchiveCollectFolder(root_, entries, error)) << error;
    ArchiveSortEntries(entries);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("Gr\xFC\xDF" "e.txt", entries[0].name);
    EXPECT_EQ("\x80" "uro\\\x8C" "uvre.txt", entries[1].name);
    EXPECT_EQ("\xE2\x82\xAC" "uro\\\xC5\x92" "uvre.txt", ArchiveNameToUtf8(entries[1].name));

    std::string cp;
    EXPECT_EQ(0, ArchiveNameFromUtf8("\xE6\x97\xA5.txt", cp));  // not in CP1252
    EXPECT_EQ(0, ArchiveNameFromUtf8("\xC3", cp));              // cut short
    EXPECT_EQ(0, ArchiveNameFromUtf8("\xC0\xAF", cp));          // overlong '/'
    EXPECT_EQ(0, ArchiveNameFromUtf8("\xFC.txt", cp));          // CP1252 bytes as given
}

TEST_F(ArchiveWriterTest, RefusesBadFoldersAndFilesWithClearMessages)
{
    EXPECT_NE(std::string::npos, Refusal(root_ + "/missing").find("does not exist"));
    std::string file = Put("plain.txt", "x");
    EXPECT_NE(std::string::npos, Refusal(file).find("is not a folder"));

    ASSERT_EQ(0, symlink("/nonexistent/target", (root_ + "/dangling.txt").c_str()));
    EXPECT_NE(std::string::npos, Refusal(root_).find("cannot read"));
    unlink((root_ + "/dangling.txt").c_str());

    ASSERT_EQ(0, symlink(root_.c_str(), (root_ + "/loop").c_str()));
    EXPECT_NE(std::string::npos, Refusal(root_).find("link to a folder"));
    unlink((root_ + "/loop").c_str());

    ASSERT_EQ(0, mkfifo((root_ + "/pipe").c_str(), 0644));
    EXPECT_NE(std::string::npos, Refusal(root_).find("not a regular file"));
    unlink((root_ + "/pipe").c_str());

    Put("\xE6\x97\xA5.txt", "x");
    EXPECT_NE(std::string::npos, Refusal(root_).find("CP1252"));
    unlink((root_ + "/\xE6\x97\xA5.txt").c_str());

    Put("a\\b.txt", "x");
    EXPECT_NE(std::string::npos, Refusal(root_).find("backslash"));
    unlink((root_ + "/a\\b.txt").c_str());

    // Two folders deep: the setup would make two levels and log one.
    Put("gfx/menu/a.bmp", "x");
    EXPECT_NE(std::string::npos, Refusal(root_).find("'gfx\\menu\\a.bmp' lies 2 folders deep"));
    unlink((root_ + "/gfx/menu/a.bmp").c_str());
    rmdir((root_ + "/gfx/menu").c_str());
    rmdir((root_ + "/gfx").c_str());

    EXPECT_EQ("", Refusal(root_));
}

TEST_F(ArchiveWriterTest, RefusesNamesThatWindowsCannotHoldApart)
{
    // 127 characters fit the 128-byte field with its zero; 128 do not.
    std::string error;
    std::string folder = "f\\";
    std::vector<ArchiveEntry> fits = {ArchiveHeldEntry(folder + std::string(127 - folder.size(), 'n'), "")};
    EXPECT_EQ(1, ArchiveCheckEntries(fits, error)) << error;
    std::vector<ArchiveEntry> tooLong = {ArchiveHeldEntry(folder + std::string(128 - folder.size(), 'n'), "")};
    EXPECT_EQ(0, ArchiveCheckEntries(tooLong, error));
    EXPECT_NE(std::string::npos, error.find("128 characters long")) << error;

    const char* const pairs[][2] = {
        {"readme.txt", "README.TXT"},
        {"gfx\\a.bmp", "GFX\\A.BMP"},
        {"\xC4rger.txt", "\xE4rger.txt"},  // A-umlaut and a-umlaut
        {"\x8A" "ach.txt", "\x9A" "ach.txt"},  // S and s with caron
    };
    for (const auto& pair : pairs) {
        std::vector<ArchiveEntry> same = {ArchiveHeldEntry(pair[0], "1"), ArchiveHeldEntry(pair[1], "2")};
        EXPECT_EQ(0, ArchiveCheckEntries(same, error)) << pair[1];
        EXPECT_NE(std::string::npos, error.find("same without regard to case")) << error;
    }
    std::vector<ArchiveEntry> differ = {ArchiveHeldEntry("\xD7" "x", ""), ArchiveHeldEntry("\xF7" "x", "")};  // not letters
    EXPECT_EQ(1, ArchiveCheckEntries(differ, error)) << error;

    std::vector<ArchiveEntry> clash = {ArchiveHeldEntry("Music", "a file"), ArchiveHeldEntry("music\\a.wav", "")};
    EXPECT_EQ(0, ArchiveCheckEntries(clash, error));
    EXPECT_NE(std::string::npos, error.find("needs a folder of that name")) << error;

    for (const char* bad : {"a:b.txt", "what?.txt", "dir\\", "\\lead.txt", "a\\\\b.txt",
                            "trailing.", "space ", "con", "CON.txt", "gfx\\com1.bmp", "lpt9",
                            "tab\there", "..\\escape.txt", ".\\here.txt", "", "com0.txt",
                            "gfx\\COM\xB2.bmp", "CONIN$", "deinst.log", "TEMP.UNI", "temp.un_"}) {
        std::vector<ArchiveEntry> one = {ArchiveHeldEntry(bad, "")};
        EXPECT_EQ(0, ArchiveCheckEntries(one, error)) << bad;
    }
    for (const char* good : {"console.txt", "com10.txt", "com.txt", "a.b.c", "x y.txt", "sfx\\deinst.log"}) {
        std::vector<ArchiveEntry> one = {ArchiveHeldEntry(good, "")};
        EXPECT_EQ(1, ArchiveCheckEntries(one, error)) << good << ": " << error;
        EXPECT_EQ(1, EntryNameInsideTarget(good)) << good;  // and the setup takes it
    }
}

TEST_F(ArchiveWriterTest, RefusesArchivesBeyondFourGibibytes)
{
    // Sizes only: the check comes before any byte is read.
    std::vector<ArchiveEntry> entries = {ArchiveHeldEntry("a.bin", ""), ArchiveHeldEntry("b.bin", "")};
    entries[0].size = 0x80000000ull;
    entries[1].size = 0xFFFFFFFFull - 0x80000000ull - (27 + 2 * 136);
    std::string error;
    EXPECT_EQ(0xFFFFFFFFull, ArchiveSize(entries));
    EXPECT_EQ(1, ArchiveCheckEntries(entries, error)) << error;
    entries[1].size += 1;
    EXPECT_EQ(0, ArchiveCheckEntries(entries, error));
    EXPECT_NE(std::string::npos, error.find("4294967296 bytes")) << error;
    std::vector<unsigned char> out;
    EXPECT_EQ(0, ArchiveWriteMemory(entries, out, error));
}

TEST_F(ArchiveWriterTest, NoticesFilesThatChangeWhileWritten)
{
    std::string grows = Put("grows.dat", "12345");
    std::vector<ArchiveEntry> entries;
    std::string error;
    ASSERT_EQ(1, ArchiveCollectFolder(root_, entries, error));
    Put("grows.dat", "123456");
    FILE* out = tmpfile();
    EXPECT_EQ(0, ArchiveWrite(entries, out, error));
    EXPECT_NE(std::string::npos, error.find("became longer")) << error;
    Put("grows.dat", "1234");
    EXPECT_EQ(0, ArchiveWrite(entries, out, error));
    EXPECT_NE(std::string::npos, error.find("became shorter")) << error;
    unlink(grows.c_str());
    EXPECT_EQ(0, ArchiveWrite(entries, out, error));
    EXPECT_NE(std::string::npos, error.find("cannot read")) << error;
    fclose(out);
}

}  // namespace
