// Step 61 and steps 62..95: temp.uni written out as files in thirty-four
// slices, the NC and SD records, and abort codes 14 to 16 with what they
// leave behind.
#include <gtest/gtest.h>

#include "engine/stages.h"
#include "engine_fixture.h"
#include "integration/install_log.h"

namespace {

using fx::Bytes;
using fx::BoxAnswerer;
using fx::Entry;

const char FolderError[] = "Der gew\xE4hlte Pfad konnte nicht angelegt werden.";

class Extraction : public ::testing::Test {
protected:
    void SetUp() override
    {
        target = fx::Fresh("extraction");
        fx::ResetState(target);
        ASSERT_EQ(1, LogCreate());
        CopyText(gSetup.expansion.archivePath, sizeof gSetup.expansion.archivePath, (target + "temp.uni").c_str());
    }
    void TearDown() override
    {
        fx::CloseAll();
        SetCurrentDirectoryA("C:\\");
    }
    // temp.uni as the expansion leaves it; expandedSize is what it reported.
    void Expanded(const Bytes& archive, DWORD expandedSize = 0)
    {
        ASSERT_TRUE(fx::WriteWhole(gSetup.expansion.archivePath, archive));
        gSetup.expansion.archivePresent = 1;
        gSetup.expansion.expandedSize = expandedSize ? expandedSize : (DWORD)archive.size();
    }
    // Runs steps 61..95 until a stage fails; returns the step that failed, or 0.
    int ExtractAll()
    {
        if (!OpenExtraction())
            return ExtractionOpenStep;
        int failed = fx::RunSlices(ExtractSlice, ExtractionOpenStep + 1, ExtractLastStep);
        return failed > ExtractLastStep ? 0 : failed;
    }
    std::string Log() { return fx::LogOnDisk(true); }
    std::string File(const std::string& name) { return fx::ReadOr(target + name); }

    std::string target;
};

TEST_F(Extraction, WritesEveryEntryAndLogsItInArchiveOrder)
{
    std::vector<Entry> entries = {
        { "uninst.exe", fx::Filler(3000, 1) },   { "kovra.exe", fx::Filler(50000, 2) },
        { "sfx\\a.wav", fx::Filler(20000, 3) },  { "sfx\\b.wav", fx::Filler(100, 4) },
        { "empty.txt", "" },                     { "gfx\\x.bmp", fx::Filler(7000, 5) },
    };
    Bytes archive = fx::Archive(entries);
    Expanded(archive);
    ASSERT_EQ(1, OpenExtraction());
    EXPECT_EQ(archive.size() - 27 - 6 * 136, gSetup.extraction.dataTotal);
    EXPECT_EQ(gSetup.extraction.dataTotal, gSetup.extraction.dataRemaining);
    for (int step = 62; step <= ExtractLastStep; ++step)
        ASSERT_EQ(1, ExtractSlice(step)) << step;

    for (const Entry& e : entries)
        EXPECT_EQ(e.data, File(e.name)) << e.name;
    EXPECT_EQ(std::vector<std::string>({ "deinst.log", "empty.txt", "gfx\\", "gfx\\x.bmp", "kovra.exe", "sfx\\",
                                         "sfx\\a.wav", "sfx\\b.wav", "uninst.exe" }),
              fx::Tree(target));
    // A folder made for a file comes just before the file; the next file in
    // that folder needs none.
    EXPECT_EQ("NC uninst.exe\r\nNC kovra.exe\r\nSD " + target + "sfx\r\nNC sfx\\a.wav\r\nNC sfx\\b.wav\r\n"
              "NC empty.txt\r\nSD " + target + "gfx\r\nNC gfx\\x.bmp\r\n",
              Log());
    EXPECT_EQ(0u, gSetup.extraction.dataRemaining);
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
    EXPECT_TRUE(gSetup.extraction.archiveReader == NULL);
}

TEST_F(Extraction, AFileInAGameFilesPlaceIsKeptAsideUnderAFreeName)
{
    // A read-only file of the user's, the first kept name taken; then a
    // link, which nothing is written through.
    ASSERT_TRUE(fx::PlantOld(target + "kovra.exe", "mine", true) && fx::PlantOld(target + "~KV00000.ALT", "older"));
    ASSERT_TRUE(fx::WriteWhole(target + "outside.txt", "theirs") && fx::Link(target + "outside.txt", target + "readme.txt"));
    std::string kovra = fx::Stamp(target + "kovra.exe");
    Expanded(fx::Archive({ { "kovra.exe", fx::Filler(5000, 1) }, { "readme.txt", "game" } }));
    EXPECT_EQ(ExtractLastStep, ExtractAll());
    EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
    EXPECT_EQ(fx::Filler(5000, 1), File("kovra.exe"));
    EXPECT_EQ(kovra, fx::Stamp(target + "~KV00001.ALT"));
    EXPECT_EQ("theirs", File("outside.txt"));
    EXPECT_EQ("KF ~KV00001.ALT kovra.exe\r\nNC kovra.exe\r\n", Log());
    fx::Unlink(target + "readme.txt");

    // A folder of the game that is a link to one elsewhere: no file goes there.
    const std::string outside = fx::Fresh("extraction-outside");
    ASSERT_TRUE(fx::PlantOld(outside + "level1.dat", "mine") &&
                fx::Link(outside.substr(0, outside.size() - 1), target + "data"));
    fx::ResetState(target);
    ASSERT_EQ(1, LogCreate());
    CopyText(gSetup.expansion.archivePath, sizeof gSetup.expansion.archivePath, (target + "temp.uni").c_str());
    Expanded(fx::Archive({ { "data\\level1.dat", "game" }, { "data\\level2.dat", "game" } }));
    EXPECT_EQ(ExtractionOpenStep + 1, ExtractAll());
    EXPECT_EQ(AbortFileFolders, gSetup.abortCode);
    EXPECT_EQ(std::vector<std::string>({ "level1.dat" }), fx::Tree(outside));
    EXPECT_EQ("mine", File("data\\level1.dat"));
    fx::Unlink(target + "data");
    fx::RemoveTree(outside);
}

TEST_F(Extraction, AnEntryLargerThanASliceStaysOpenAcrossSteps)
{
    // 34 slices of 1,000 bytes: "big" takes 33,990 of them, "small" the rest.
    Expanded(fx::Archive({ { "big", fx::Filler(33990, 6) }, { "small", fx::Filler(10, 7) } }));
    ASSERT_EQ(1, OpenExtraction());
    ASSERT_EQ(34000u, gSetup.extraction.dataTotal);
    for (int step = 62; step < ExtractLastStep; ++step) {
        ASSERT_EQ(1, ExtractSlice(step));
        EXPECT_STREQ("big", gSetup.extraction.entryName);
        EXPECT_EQ(33990u - (step - 61) * 1000u, gSetup.extraction.entryRemaining);
        EXPECT_TRUE(gSetup.extraction.entryFile != NULL);
    }
    // Logged as soon as it was created, long before its last byte.
    EXPECT_EQ("NC big\r\n", fx::LogOnDisk());
    EXPECT_FALSE(fx::Exists(target + "small"));
    ASSERT_EQ(1, ExtractSlice(ExtractLastStep));
    EXPECT_EQ(fx::Filler(33990, 6), File("big"));
    EXPECT_EQ(fx::Filler(10, 7), File("small"));
}

TEST_F(Extraction, ASliceEndingAtAnEntrysEndClosesItAndTheNextStepOpensTheNext)
{
    std::vector<Entry> entries;
    for (int i = 0; i < 34; ++i)
        entries.push_back({ "e" + std::to_string(i), fx::Filler(100, 10 + i) });
    Expanded(fx::Archive(entries));
    ASSERT_EQ(1, OpenExtraction());
    ASSERT_EQ(1, ExtractSlice(62));
    EXPECT_EQ(1, gSetup.extraction.entryIndex);
    EXPECT_STREQ("", gSetup.extraction.entryName);
    EXPECT_TRUE(gSetup.extraction.entryFile == NULL);
    EXPECT_EQ(entries[0].data, File("e0"));
    EXPECT_FALSE(fx::Exists(target + "e1"));
    EXPECT_EQ("NC e0\r\n", fx::LogOnDisk());
    ASSERT_EQ(1, ExtractSlice(63));
    EXPECT_EQ(entries[1].data, File("e1"));
    for (int step = 64; step <= ExtractLastStep; ++step)
        ASSERT_EQ(1, ExtractSlice(step));
    EXPECT_EQ(entries[33].data, File("e33"));
}

TEST_F(Extraction, EmptyEntriesAreCreatedAlsoAfterTheLastDataByte)
{
    Expanded(fx::Archive({ { "x", fx::Filler(500, 8) }, { "hole", "" }, { "y", fx::Filler(500, 9) },
                           { "tail", "" }, { "sfx\\end", "" } }));
    ASSERT_EQ(0, ExtractAll());
    EXPECT_EQ("", File("hole"));
    EXPECT_EQ(fx::Filler(500, 9), File("y"));
    // The last slice ends with y's last byte; the empty files after it
    // come with that step.
    EXPECT_EQ("", File("tail"));
    EXPECT_EQ("", File("sfx\\end"));
    EXPECT_EQ("NC x\r\nNC hole\r\nNC y\r\nNC tail\r\nSD " + target + "sfx\r\nNC sfx\\end\r\n", Log());
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
}

TEST_F(Extraction, AnArchiveOfEmptyEntriesCreatesOnePerStep)
{
    Expanded(fx::Archive({ { "a", "" }, { "b", "" } }));
    ASSERT_EQ(1, OpenExtraction());
    EXPECT_EQ(0u, gSetup.extraction.dataTotal);
    ASSERT_EQ(1, ExtractSlice(62));
    EXPECT_TRUE(fx::Exists(target + "a"));
    EXPECT_FALSE(fx::Exists(target + "b"));
    for (int step = 63; step <= ExtractLastStep; ++step)
        ASSERT_EQ(1, ExtractSlice(step));
    EXPECT_EQ("NC a\r\nNC b\r\n", Log());
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
}

TEST_F(Extraction, AnArchiveThatCannotBeOpened)
{
    // Missing, wrong magic, or a directory longer than the expanded size.
    EXPECT_EQ(ExtractionOpenStep, ExtractAll());
    EXPECT_EQ(AbortArchiveOpen, gSetup.abortCode);

    Bytes archive = fx::Archive({ { "a", "data" } });
    archive[3] = 'X';
    Expanded(archive);
    gSetup.abortCode = 0;
    EXPECT_EQ(ExtractionOpenStep, ExtractAll());
    EXPECT_EQ(AbortArchiveOpen, gSetup.abortCode);

    Expanded(fx::Archive({ { "a", "data" } }), 27 + 136 - 1);
    gSetup.abortCode = 0;
    EXPECT_EQ(ExtractionOpenStep, ExtractAll());
    EXPECT_EQ(AbortArchiveOpen, gSetup.abortCode);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    EXPECT_EQ("", Log());
}

TEST_F(Extraction, AFileBlockingASubFolderShowsOneBoxAndStops)
{
    ASSERT_TRUE(fx::WriteWhole(target + "sfx", "mine"));
    // Slices of 10 bytes: a.txt ends early in step 62, which goes on to the next.
    Expanded(fx::Archive({ { "a.txt", "1" }, { "sfx\\b.wav", fx::Filler(339, 1) }, { "c.txt", "3" } }));
    BoxAnswerer answerer;
    EXPECT_EQ(62, ExtractAll());
    EXPECT_EQ(std::vector<std::string>({ FolderError }), answerer.Stop());
    EXPECT_EQ(AbortFileFolders, gSetup.abortCode);
    EXPECT_TRUE(gSetup.extraction.archiveReader == NULL);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    EXPECT_EQ("NC a.txt\r\n", Log());
    EXPECT_EQ(std::vector<std::string>({ "a.txt", "deinst.log", "sfx", "temp.uni" }), fx::Tree(target));
    // The archive is closed: temp.uni can go.
    EXPECT_TRUE(DeleteFileA(gSetup.expansion.archivePath));
}

TEST_F(Extraction, AFileThatCannotBeCreatedAfterItsFolders)
{
    CreateDirectoryA((target + "b.txt").c_str(), NULL);
    Expanded(fx::Archive({ { "a.txt", "1" }, { "b.txt", fx::Filler(339, 1) } }));
    BoxAnswerer answerer;
    EXPECT_EQ(62, ExtractAll());
    EXPECT_TRUE(answerer.Stop().empty());
    EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
    EXPECT_TRUE(gSetup.extraction.archiveReader == NULL);
    EXPECT_EQ("NC a.txt\r\n", Log());
    EXPECT_TRUE(DeleteFileA(gSetup.expansion.archivePath));
}

TEST_F(Extraction, NamesThatLeaveTheTargetAreRefusedBeforeAnythingIsCreated)
{
    const char* names[] = {
        "..\\evil.txt", "sfx\\..\\..\\evil.txt", "sfx/../../evil.txt", "\\evil.txt",  "C:\\evil.txt",
        "C:evil.txt",   "ok.txt:evil",           "sfx\\\\evil.txt",    "evil\\",      "",
        ".",            "...\\evil.txt",       "DEINST.LOG",          "temp.uni.",   "COM1",
        "sfx\\nul.wav", "a\\b\\c.txt", "sfx\\sub\\x.wav", "lpt\xB9.txt", "conout$",
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        fx::CloseAll();
        target = fx::Fresh("extraction");
        fx::ResetState(target);
        ASSERT_EQ(1, LogCreate());
        CopyText(gSetup.expansion.archivePath, sizeof gSetup.expansion.archivePath, (target + "temp.uni").c_str());
        Expanded(fx::ArchiveAnyNames({ { "ok.txt", "1" }, { name, fx::Filler(339, 1) } }));
        EXPECT_EQ(62, ExtractAll());
        EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
        EXPECT_EQ("NC ok.txt\r\n", Log());
        EXPECT_EQ(std::vector<std::string>({ "deinst.log", "ok.txt", "temp.uni" }), fx::Tree(target));
        EXPECT_EQ(std::vector<std::string>({ "extraction\\", "extraction\\deinst.log", "extraction\\ok.txt",
                                             "extraction\\temp.uni" }),
                  fx::Tree("C:\\kovra-engine\\"));
        EXPECT_FALSE(fx::Exists("C:\\evil.txt"));
        EXPECT_FALSE(fx::Exists("C:\\kovra-engine\\evil.txt"));
    }
}

TEST_F(Extraction, DataLeftOverForNoEntryFailsWithoutReadingPastTheDirectory)
{
    // The sizes add up to less than the data: 34 slices of 10 bytes, 2 entries.
    Bytes archive = fx::Archive({ { "a", fx::Filler(100, 1) }, { "b", fx::Filler(100, 2) } });
    archive += fx::Filler(140, 3);
    Expanded(archive);
    EXPECT_EQ(82, ExtractAll());
    EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
    EXPECT_EQ(2, gSetup.extraction.entryIndex);
    EXPECT_EQ(fx::Filler(100, 2), File("b"));
    EXPECT_EQ("NC a\r\nNC b\r\n", Log());
    EXPECT_TRUE(gSetup.extraction.archiveReader == NULL);
}

TEST_F(Extraction, SizesBeyondTheDataLeaveNoFileQuietlyShort)
{
    // The expansion reported 50 bytes less than the entries claim.
    Bytes archive = fx::Archive({ { "a", fx::Filler(1000, 1) }, { "b", fx::Filler(1000, 2) } });
    Expanded(archive, (DWORD)archive.size() - 50);
    EXPECT_EQ(ExtractLastStep, ExtractAll());
    EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
    EXPECT_TRUE(gSetup.extraction.entryFile == NULL);
    EXPECT_EQ("NC a\r\nNC b\r\n", Log());
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
}

// Each entry's data as its own directory entry places them: data that lie
// in the header or the directory, or past the end of the file, are refused
// before the entry's file is made.
TEST_F(Extraction, DataOutsideTheFileAreRefusedBeforeTheirFileIsMade)
{
    // The entry claims 3,400 bytes and so does the expanded size; the file
    // holds 1,000 of them.
    Bytes archive = fx::Archive({ { "a", fx::Filler(3400, 1) } });
    archive.resize(archive.size() - 2400);
    Expanded(archive, (DWORD)archive.size() + 2400);
    EXPECT_EQ(62, ExtractAll());
    EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
    EXPECT_EQ("", Log());
    EXPECT_FALSE(fx::Exists(target + "a"));

    const unsigned int placements[][2] = { { 0, 340 }, { 27 + 136, 1 }, { 0xFFFFFFF0u, 0x20 },
                                           { 27 + 2 * 136 + 340, 1 } };
    for (const auto& place : placements) {
        SCOPED_TRACE(place[0]);
        fx::CloseAll();
        target = fx::Fresh("extraction");
        fx::ResetState(target);
        ASSERT_EQ(1, LogCreate());
        CopyText(gSetup.expansion.archivePath, sizeof gSetup.expansion.archivePath, (target + "temp.uni").c_str());
        Bytes bad = fx::Archive({ { "ok.txt", fx::Filler(340, 1) }, { "b.txt", "" } });
        Bytes fields;
        fx::PutLE32(fields, place[0]);
        fx::PutLE32(fields, place[1]);
        bad.replace(27 + 136 + 128, 8, fields);
        Expanded(bad);
        EXPECT_EQ(ExtractLastStep, ExtractAll());
        EXPECT_EQ(AbortFileCreate, gSetup.abortCode);
        EXPECT_EQ("NC ok.txt\r\n", Log());
        EXPECT_FALSE(fx::Exists(target + "b.txt"));
    }
}

TEST_F(Extraction, AnArchiveThatCannotBeDeletedIsNoAbort)
{
    Expanded(fx::Archive({ { "a", fx::Filler(340, 1) } }));
    ASSERT_EQ(1, OpenExtraction());
    for (int step = 62; step < ExtractLastStep; ++step)
        ASSERT_EQ(1, ExtractSlice(step));
    HANDLE holder = CreateFileA(gSetup.expansion.archivePath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0, ExtractSlice(ExtractLastStep));
    CloseHandle(holder);
    EXPECT_EQ(0, gSetup.abortCode);
    EXPECT_EQ(1, gSetup.expansion.archivePresent);
    EXPECT_EQ(fx::Filler(340, 1), File("a"));
}

TEST_F(Extraction, FoldersForAFileRecordOnlyTheDeepestCreated)
{
    EXPECT_EQ(1, CreateFileFolders((target + "one\\two\\file.txt").c_str()));
    EXPECT_TRUE(fx::IsFolder(target + "one\\two"));
    EXPECT_FALSE(fx::Exists(target + "one\\two\\file.txt"));
    // Existing folders: nothing to record.
    EXPECT_EQ(1, CreateFileFolders((target + "one\\two\\other.txt").c_str()));
    EXPECT_EQ("SD " + target + "one\\two\r\n", Log());
}

TEST_F(Extraction, AFileInADriveRootGetsAFolderOfItsOwnName)
{
    EXPECT_EQ(1, CreateFileFolders("C:\\kovra-root.txt"));
    EXPECT_TRUE(fx::IsFolder("C:\\kovra-root.txt"));
    RemoveDirectoryA("C:\\kovra-root.txt");
    EXPECT_EQ("SD C:\\kovra-root.txt\r\n", Log());
}

TEST_F(Extraction, APathTooLongForTheWalkFailsWithoutWritingPastIt)
{
    std::string path = target + std::string(500, 'x');
    BoxAnswerer answerer;
    EXPECT_EQ(0, CreateFileFolders(path.c_str()));
    answerer.Stop();
    EXPECT_EQ("", Log());
}

}  // namespace
