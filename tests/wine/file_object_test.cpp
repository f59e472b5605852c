// The file object against Wine's real file handles: modes, sharing, typed
// transfers, lines and fields, positions, and what a closed object answers.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "support/file_object.h"

namespace {

class FileObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA("C:\\fileobj", NULL);
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path = "C:\\fileobj\\" + name + ".dat";
        DeleteFileA(path.c_str());
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    void Put(const std::string& bytes)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
        CloseHandle(file);
        ASSERT_EQ(bytes.size(), written);
    }
    std::string Get()
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                  OPEN_EXISTING, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        char buffer[4096];
        DWORD got = 0;
        ReadFile(file, buffer, sizeof buffer, &got, NULL);
        CloseHandle(file);
        return std::string(buffer, got);
    }

    std::string path;
};

TEST_F(FileObjectTest, ReadModeNeedsAnExistingFile)
{
    FileObject file;
    EXPECT_EQ(0, file.IsOpen());
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.GetHandle());
    EXPECT_EQ(0, file.Open(path.c_str(), FileModeRead));
    EXPECT_EQ(0, file.IsOpen());
    EXPECT_EQ("<missing>", Get());

    Put("x");
    EXPECT_EQ(1, file.Open(path.c_str(), FileModeRead));
    EXPECT_EQ(1, file.IsOpen());
    EXPECT_NE(INVALID_HANDLE_VALUE, file.GetHandle());
}

TEST_F(FileObjectTest, UnknownModesOpenNothing)
{
    Put("abc");
    FileObject file;
    EXPECT_EQ(0, file.Open(path.c_str(), 0));
    EXPECT_EQ(0, file.Open(path.c_str(), 5));
    EXPECT_EQ(0, file.IsOpen());
    EXPECT_EQ(1, file.Open(path.c_str(), FileModeRead));
    EXPECT_EQ('a', file.ReadByte());
}

TEST_F(FileObjectTest, ASecondOpenIsRefusedAndTheFirstFileStaysUsable)
{
    Put("ab");
    std::string other = path + ".other";
    FileObject file;
    ASSERT_EQ(1, file.Open(path.c_str(), FileModeRead));
    HANDLE first = file.GetHandle();
    EXPECT_EQ(0, file.Open(other.c_str(), FileModeCreate));
    EXPECT_EQ(first, file.GetHandle());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(other.c_str()));
    // Still reading, so the refused write mode did not take over.
    EXPECT_EQ('a', file.ReadByte());
    EXPECT_EQ(0u, file.WriteByte('z'));

    EXPECT_EQ(1, file.Close());
    EXPECT_EQ(0, file.Close());
    EXPECT_EQ(0, file.IsOpen());
    // Open again, in another mode.
    EXPECT_EQ(1, file.Open(path.c_str(), FileModeAppend));
    EXPECT_EQ(1u, file.WriteByte('c'));
    file.Close();
    EXPECT_EQ("abc", Get());
}

TEST_F(FileObjectTest, CreateTruncatesAndAppendKeepsAndWritesAtTheEnd)
{
    Put(std::string(100, 'x'));
    {
        FileObject file(path.c_str(), FileModeAppend);
        ASSERT_EQ(1, file.IsOpen());
        EXPECT_EQ(100u, file.GetSize());
        EXPECT_EQ(1u, file.WriteByte('!'));
        EXPECT_EQ(101u, file.Seek(0, FILE_CURRENT));
    }
    EXPECT_EQ(std::string(100, 'x') + "!", Get());
    {
        FileObject file(path.c_str(), FileModeCreate);
        ASSERT_EQ(1, file.IsOpen());
        EXPECT_EQ(0u, file.GetSize());
    }
    EXPECT_EQ("", Get());

    // Append creates a missing file.
    DeleteFileA(path.c_str());
    {
        FileObject file(path.c_str(), FileModeAppend);
        EXPECT_EQ(1, file.IsOpen());
        EXPECT_EQ(1u, file.WriteByte('a'));
    }
    EXPECT_EQ("a", Get());
}

TEST_F(FileObjectTest, AppendReachesTheEndOfAFileAbove4GiB)
{
    // A sparse file of 5 GiB: the end lies beyond what 32 bits address, and
    // an append must still land there rather than at the start.
    const LONG high = 1;
    HANDLE big = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, big);
    LONG moveHigh = high;
    SetFilePointer(big, 0x40000000, &moveHigh, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(big));
    CloseHandle(big);
    {
        FileObject file(path.c_str(), FileModeAppend);
        ASSERT_EQ(1, file.IsOpen());
        EXPECT_EQ(1u, file.WriteByte('!'));
    }
    HANDLE check = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    DWORD sizeHigh = 0;
    DWORD sizeLow = GetFileSize(check, &sizeHigh);
    char first = 'x';
    DWORD got = 0;
    ReadFile(check, &first, 1, &got, NULL);
    CloseHandle(check);
    EXPECT_EQ(1u, sizeHigh);
    EXPECT_EQ(0x40000001u, sizeLow);
    EXPECT_EQ(0, first);
}

TEST_F(FileObjectTest, OthersMayReadButNotWriteOrDeleteAnOpenFile)
{
    for (int mode = FileModeRead; mode <= FileModeAppend; ++mode) {
        Put("abc");
        FileObject file(path.c_str(), mode);
        ASSERT_EQ(1, file.IsOpen());
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
        EXPECT_NE(INVALID_HANDLE_VALUE, reader) << "mode " << mode;
        CloseHandle(reader);
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "mode " << mode;
        EXPECT_FALSE(DeleteFileA(path.c_str())) << "mode " << mode;
    }
}

TEST_F(FileObjectTest, ValuesAreWrittenLeastSignificantByteFirst)
{
    {
        FileObject file(path.c_str(), FileModeCreate);
        EXPECT_EQ(1u, file.WriteByte(0x1FF));
        EXPECT_EQ(2u, file.WriteWord(0x10102));
        EXPECT_EQ(4u, file.WriteDword(0x04030201));
        EXPECT_EQ(3u, file.WriteBlock("xyz", 3));
        EXPECT_EQ(0u, file.WriteBlock("", 0));
        EXPECT_EQ(5u, file.WriteLine("abc"));
        EXPECT_EQ(2u, file.WriteLine(""));
        EXPECT_EQ(4u, file.WriteField("def"));
        EXPECT_EQ(1u, file.WriteField(""));
    }
    static const char golden[] = "\xFF\x02\x01\x01\x02\x03\x04xyzabc\r\n\r\ndef;;";
    EXPECT_EQ(std::string(golden, sizeof golden - 1), Get());
}

TEST_F(FileObjectTest, ShortReadsAtTheEndGiveZeroHighBytes)
{
    Put(std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9));
    FileObject file(path.c_str(), FileModeRead);
    EXPECT_EQ(0x01, file.ReadByte());
    EXPECT_EQ(0x0302, file.ReadWord());
    EXPECT_EQ(0x07060504u, file.ReadDword());
    EXPECT_EQ(0x0908u, file.ReadDword());  // two bytes left
    EXPECT_EQ(0, file.ReadByte());
    EXPECT_EQ(0, file.ReadWord());
    EXPECT_EQ(0u, file.ReadDword());

    file.Seek(8, FILE_BEGIN);
    EXPECT_EQ(0x09, file.ReadWord());  // one byte left
    file.Seek(6, FILE_BEGIN);
    EXPECT_EQ(0x090807u, file.ReadDword());  // three bytes left

    char block[16];
    memset(block, '#', sizeof block);
    file.Seek(7, FILE_BEGIN);
    EXPECT_EQ(2u, file.ReadBlock(block, sizeof block));
    EXPECT_EQ(0, memcmp(block, "\x08\x09##", 4));
    EXPECT_EQ(0u, file.ReadBlock(block, sizeof block));
}

// Reads piece after piece with read (ReadLine or ReadField) into a 10-byte
// buffer: each call's count and the text it stored.
void ExpectPieces(FileObject& file, DWORD (FileObject::*read)(char*, DWORD),
                  std::vector<std::pair<DWORD, const char*>> pieces)
{
    for (const auto& piece : pieces) {
        char text[10];
        EXPECT_EQ(piece.first, (file.*read)(text, sizeof text)) << piece.second;
        EXPECT_STREQ(piece.second, text);
    }
}

TEST_F(FileObjectTest, LinesEndAtLineFeedAndDropEveryCarriageReturn)
{
    Put("ab\r\n\nx\ry\r\n\r\rz");
    FileObject file(path.c_str(), FileModeRead);
    // The last line has no LF; after it, the end of the file.
    ExpectPieces(file, &FileObject::ReadLine, { { 3, "ab" }, { 1, "" }, { 3, "xy" }, { 2, "z" }, { 1, "" } });
}

TEST_F(FileObjectTest, AByteThatFindsTheLineFullIsLost)
{
    Put("abcd\nefg\n");
    FileObject file(path.c_str(), FileModeRead);
    char line[8];
    memset(line, '#', sizeof line);
    EXPECT_EQ(3u, file.ReadLine(line, 3));
    EXPECT_EQ(0, memcmp(line, "ab\0#", 4));  // c consumed, nothing past the capacity
    EXPECT_EQ(2u, file.ReadLine(line, 3));
    EXPECT_STREQ("d", line);

    // Capacity 1: every call consumes one byte and stores only the zero.
    memset(line, '#', sizeof line);
    EXPECT_EQ(1u, file.ReadLine(line, 1));
    EXPECT_EQ(0, memcmp(line, "\0#", 2));
    EXPECT_EQ(1u, file.ReadLine(line, 1));
    EXPECT_EQ(2u, file.ReadLine(line, sizeof line));
    EXPECT_STREQ("g", line);

    // Capacity 0 has no room for the zero: nothing is read or stored.
    file.Seek(0, FILE_BEGIN);
    memset(line, '#', sizeof line);
    EXPECT_EQ(0u, file.ReadLine(line, 0));
    EXPECT_EQ(0u, file.ReadField(line, 0));
    EXPECT_EQ('#', line[0]);
    EXPECT_EQ(0u, file.Seek(0, FILE_CURRENT));
}

TEST_F(FileObjectTest, FieldsEndAtSemicolonOrLineFeed)
{
    Put("12;34\r\n5\r6;;");
    FileObject file(path.c_str(), FileModeRead);
    // The last piece is the end of the file.
    ExpectPieces(file, &FileObject::ReadField, { { 3, "12" }, { 3, "34" }, { 3, "56" }, { 1, "" }, { 1, "" } });
}

TEST_F(FileObjectTest, SeekTakesTheDistanceFirst)
{
    Put("0123456789");
    FileObject file(path.c_str(), FileModeRead);
    EXPECT_EQ(10u, file.GetSize());
    EXPECT_EQ(3u, file.Seek(3, FILE_BEGIN));
    EXPECT_EQ('3', file.ReadByte());
    EXPECT_EQ(6u, file.Seek(2, FILE_CURRENT));
    EXPECT_EQ(8u, file.Seek(-2, FILE_END));
    EXPECT_EQ('8', file.ReadByte());
    EXPECT_EQ(0xFFFFFFFFu, file.Seek(-20, FILE_BEGIN));
    EXPECT_EQ(0xFFFFFFFFu, file.Seek(0, 7));
    EXPECT_EQ(9u, file.Seek(0, FILE_CURRENT));
}

TEST_F(FileObjectTest, TransfersInTheWrongDirectionDoNothing)
{
    Put("abc");
    {
        FileObject file(path.c_str(), FileModeRead);
        EXPECT_EQ(0u, file.WriteByte('x'));
        EXPECT_EQ(0u, file.WriteWord(1));
        EXPECT_EQ(0u, file.WriteDword(1));
        EXPECT_EQ(0u, file.WriteBlock("x", 1));
        EXPECT_EQ(0u, file.WriteLine("x"));
        EXPECT_EQ(0u, file.WriteField("x"));
    }
    EXPECT_EQ("abc", Get());
    {
        FileObject file(path.c_str(), FileModeAppend);
        char buffer[4] = { '#', '#', '#', '#' };
        EXPECT_EQ(0, file.ReadByte());
        EXPECT_EQ(0, file.ReadWord());
        EXPECT_EQ(0u, file.ReadDword());
        EXPECT_EQ(0u, file.ReadBlock(buffer, 4));
        EXPECT_EQ(0u, file.ReadLine(buffer, 4));
        EXPECT_EQ(0u, file.ReadField(buffer, 4));
        EXPECT_EQ(0, memcmp(buffer, "####", 4));
        EXPECT_EQ(3u, file.Seek(0, FILE_CURRENT));
    }
    EXPECT_EQ("abc", Get());
    {
        // Mode 2 empties the file on opening; the read adds nothing.
        FileObject file(path.c_str(), FileModeCreate);
        EXPECT_EQ(0, file.ReadByte());
    }
    EXPECT_EQ("", Get());
}

TEST_F(FileObjectTest, AClosedObjectAnswersWithoutTouchingAnything)
{
    Put("abc");
    FileObject file(path.c_str(), FileModeRead);
    file.Close();
    char buffer[4] = { '#', '#', '#', '#' };
    EXPECT_EQ(0xFFFFFFFFu, file.GetSize());
    EXPECT_EQ(0xFFFFFFFFu, file.Seek(0, FILE_BEGIN));
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.GetHandle());
    EXPECT_EQ(0, file.ReadByte());
    EXPECT_EQ(0u, file.ReadDword());
    EXPECT_EQ(0u, file.ReadBlock(buffer, 4));
    EXPECT_EQ(0u, file.ReadLine(buffer, 4));
    EXPECT_EQ(0u, file.ReadField(buffer, 4));
    EXPECT_EQ(0, memcmp(buffer, "####", 4));
    EXPECT_EQ(0u, file.WriteByte('x'));
    EXPECT_EQ(0u, file.WriteLine("x"));
    EXPECT_EQ(0u, file.WriteField("x"));
    EXPECT_EQ("abc", Get());

    // Destroying a closed object closes nothing; destroying an open one
    // releases the file.
    FileObject* heap = new FileObject(path.c_str(), FileModeCreate);
    ASSERT_TRUE(heap != NULL);
    ASSERT_EQ(1, heap->IsOpen());
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    delete heap;
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

}  // namespace
