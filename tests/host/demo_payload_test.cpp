// The demo payload that the build made and setup.exe carries: its sizes,
// its archive's layout and names, and its expansion through our reader,
// libmspack and msexpand.
#include "engine/resfile.h"
#include "tests/resfile_readers.h"
#include "tools/demo_assets.h"
#include "tools/demo_game.h"
#include "tools/reference_expand.h"
#include "tools/szdd.h"
#include "tools/szdd_reader.h"
#include "tests/file_bytes.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

const std::string kDir = KOVRA_PAYLOAD_DIR;

uint32_t LE32(const Bytes& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | ((uint32_t)b[at + 3] << 24);
}

class DemoPayloadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(ReadWhole(kDir + "/payload.sz_", packed_)) << "the host build makes it";
        ASSERT_TRUE(ReadWhole(kDir + "/payload.uni", archive_));
    }
    ResFileReaders readers_;
    static Bytes packed_, archive_;
};

Bytes DemoPayloadTest::packed_, DemoPayloadTest::archive_;

TEST_F(DemoPayloadTest, HasTheSizesTheSetupFiguresAreMadeFor)
{
    EXPECT_EQ(3724297u, packed_.size());
    EXPECT_EQ(14391756u, archive_.size());
    ASSERT_GE(packed_.size(), 14u);
    EXPECT_EQ(0, memcmp(packed_.data(), "SZDD\x88\xF0\x27\x33" "A", 9));
    EXPECT_EQ(14391756u, LE32(packed_, 10));
}

TEST_F(DemoPayloadTest, ExpandsIdenticallyThroughAllExpanders)
{
    // Ours in the setup's 10,000-byte reads.
    Bytes ours;
    SzddExpandMemory(packed_.data(), packed_.size(), ours);
    EXPECT_TRUE(ours == archive_);
    Bytes viaMspack;
    EXPECT_EQ(1, MspackExpand(packed_.data(), packed_.size(), viaMspack));
    EXPECT_TRUE(viaMspack == archive_);
    Bytes viaMsexpand;
    EXPECT_EQ(1, MsexpandFile(kDir + "/payload.sz_", viaMsexpand));
    EXPECT_TRUE(viaMsexpand == archive_);
}

TEST_F(DemoPayloadTest, ArchiveHoldsTheGameAsTheSetupExpectsIt)
{
    ResFileReader* r = readers_.Open(kDir + "/payload.uni");
    ASSERT_TRUE(r != 0);
    ASSERT_EQ(311u, ResFileCount(r));
    EXPECT_STREQ("uninst.exe", ResFileEntryName(r, 0));
    EXPECT_NE(0u, ResFileFindSize(r, "kovra.exe"));
    uint32_t expected = 27 + 136 * 311;
    for (unsigned i = 0; i < 311; ++i) {
        std::string name = ResFileEntryName(r, i);
        SCOPED_TRACE(name);
        EXPECT_LE(name.size(), 20u);
        EXPECT_LE(std::count(name.begin(), name.end(), '\\'), 1);
        EXPECT_EQ(expected, ResFileFindOffset(r, name.c_str()));
        uint32_t size = ResFileFindSize(r, name.c_str());
        // The tree the build wrote holds the same bytes.
        std::string host = name;
        std::replace(host.begin(), host.end(), '\\', '/');
        Bytes file;
        ASSERT_TRUE(ReadWhole(kDir + "/game/" + host, file));
        ASSERT_EQ(size, file.size());
        EXPECT_EQ(0, memcmp(file.data(), archive_.data() + expected, size));
        expected += size;
    }
    EXPECT_EQ(archive_.size(), expected);
}

TEST_F(DemoPayloadTest, GeneratorMakesTheSameBytesEveryTime)
{
    std::vector<ArchiveEntry> first, second;
    DemoGameFiles(first);
    DemoGameFiles(second);
    ASSERT_EQ(311u, first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(first[i].data == second[i].data) << first[i].name;
    }
    // Every file but the tuned film is what the build wrote.
    ResFileReader* r = readers_.Open(kDir + "/payload.uni");
    ASSERT_TRUE(r != 0);
    for (size_t i = 0; i + 1 < first.size(); ++i) {
        ASSERT_STREQ(first[i].name.c_str(), ResFileEntryName(r, (unsigned)i));
        uint32_t offset = ResFileFindOffset(r, first[i].name.c_str());
        ASSERT_EQ(first[i].size, ResFileFindSize(r, first[i].name.c_str()));
        EXPECT_EQ(0, memcmp(first[i].data.data(), archive_.data() + offset, first[i].data.size()))
            << first[i].name;
    }
}

TEST_F(DemoPayloadTest, PlaceholderProgramsAreWin32GuiPrograms)
{
    for (const char* name : {"kovra.exe", "uninst.exe"}) {
        SCOPED_TRACE(name);
        Bytes exe;
        ASSERT_TRUE(ReadWhole(kDir + "/game/" + name, exe));
        ASSERT_GT(exe.size(), 0x400u);
        EXPECT_EQ('M', exe[0]);
        EXPECT_EQ('Z', exe[1]);
        uint32_t pe = LE32(exe, 0x3C);
        ASSERT_LT(pe + 0xF8 + 80, exe.size());
        EXPECT_EQ(0, memcmp(&exe[pe], "PE\0\0", 4));
        EXPECT_EQ(0x14C, exe[pe + 4] | (exe[pe + 5] << 8));  // i386
        size_t opt = pe + 24;
        EXPECT_EQ(0x10B, exe[opt] | (exe[opt + 1] << 8));    // PE32
        EXPECT_EQ(2, exe[opt + 68]);                         // GUI
        EXPECT_EQ(4, exe[opt + 48]);                         // subsystem 4.0
        // The entry point lies in .text; the import directory in .rdata names
        // the two system libraries.
        size_t text = opt + 0xE0, rdata = text + 40;
        uint32_t entry = LE32(exe, opt + 16);
        EXPECT_GE(entry, LE32(exe, text + 12));
        EXPECT_LT(entry, LE32(exe, text + 12) + LE32(exe, text + 8));
        uint32_t rdataRva = LE32(exe, rdata + 12), rdataRaw = LE32(exe, rdata + 20);
        uint32_t imports = LE32(exe, opt + 96 + 8);
        ASSERT_GE(imports, rdataRva);
        for (int d = 0; d < 2; ++d) {
            uint32_t nameRva = LE32(exe, rdataRaw + imports - rdataRva + 20 * d + 12);
            std::string dll = (const char*)&exe[rdataRaw + nameRva - rdataRva];
            EXPECT_EQ(d == 0 ? "KERNEL32.dll" : "USER32.dll", dll);
        }
    }
}

TEST(DemoGame, ReachesItsSizesWhateverThePrograms)
{
    // A bigger game and an uninstaller that does not compress at all: the
    // film gives up the room and the tuning finds the size again.
    DemoPrograms programs;
    programs.game = DemoProgram("Kovra", "Spiel", 700000, 77);
    DemoRandom rnd(78);
    for (int i = 0; i < 90000; ++i)
        programs.uninstaller.push_back((unsigned char)rnd.Next());
    std::vector<ArchiveEntry> entries;
    std::string error;
    DemoGameReport report;
    ASSERT_EQ(1, DemoGameBuild(entries, error, &report, &programs)) << error;
    ASSERT_EQ(311u, entries.size());
    EXPECT_TRUE(entries[0].data == programs.uninstaller);
    Bytes archive, packed;
    ASSERT_EQ(1, ArchiveWriteMemory(entries, archive, error)) << error;
    EXPECT_EQ(14391756u, archive.size());
    ASSERT_EQ(1, SzddCompress(archive.data(), archive.size(), packed));
    EXPECT_EQ(3724297u, packed.size());
    EXPECT_EQ(3724297u, report.compressedSize);
}

TEST(DemoAssets, FilmHasItsSizeAndNoiseWhereAsked)
{
    size_t header = 0;
    DemoBytes black = DemoFilm(200000, 0, 7, &header);
    DemoBytes noisy = DemoFilm(200000, 50000, 7, &header);
    ASSERT_EQ(200000u, black.size());
    ASSERT_EQ(200000u, noisy.size());
    EXPECT_EQ(0, memcmp(black.data(), noisy.data(), header));
    EXPECT_EQ(0, memcmp("RIFF", black.data(), 4));
    EXPECT_EQ(0, memcmp("AVI ", black.data() + 8, 4));
    EXPECT_EQ(199992u, LE32(black, 4));
    size_t differ = 0;
    for (size_t i = 0; i < black.size(); ++i)
        differ += black[i] != noisy[i];
    EXPECT_GT(differ, 49000u);  // about 1 in 256 noise bytes is 0 anyway
    EXPECT_LE(differ, 50000u);
}

}  // namespace
