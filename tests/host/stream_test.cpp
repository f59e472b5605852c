// The stream that replaces the C runtime's in setup.exe: text mode's line
// ends both ways (also where they straddle the 4 KB buffer), positions and
// sizes under buffering, and a failed write reported rather than lost.
#include "support/stream.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>

#include <string>
#include <vector>

#include "tests/file_bytes.h"

namespace {

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/stream_test_XXXXXX";
        ASSERT_TRUE(mkdtemp(folder) != NULL);
        path_ = std::string(folder) + "/file";
        folder_ = folder;
    }
    void TearDown() override
    {
        unlink(path_.c_str());
        rmdir(folder_.c_str());
    }
    std::string OnDisk()
    {
        std::string bytes;
        EXPECT_TRUE(ReadWhole(path_, bytes));
        return bytes;
    }
    std::vector<std::string> Lines(const std::string& bytes, size_t capacity = 500)
    {
        EXPECT_TRUE(WriteWhole(path_, bytes));
        Stream* stream = StreamOpen(path_.c_str(), StreamReadText);
        EXPECT_TRUE(stream != NULL);
        std::vector<std::string> lines;
        std::vector<char> line(capacity + 1, '#');
        while (StreamReadLine(stream, line.data(), capacity)) {
            EXPECT_EQ('#', line[capacity]);
            lines.push_back(line.data());
        }
        EXPECT_EQ(1, StreamClose(stream));
        return lines;
    }
    std::string path_, folder_;
};

TEST_F(StreamTest, TextModeWritesEachLineEndAsCrLf)
{
    struct Case { std::vector<std::string> writes; std::string disk; };
    std::string wide(5000, 'w');  // more than the buffer in one write
    const Case cases[] = {
        { { "ID 2 0 1\n", "PN Kovra Rendo Cup\n" }, "ID 2 0 1\r\nPN Kovra Rendo Cup\r\n" },
        { { "\n\n", "a\nb" }, "\r\n\r\na\r\nb" },
        { { std::string(4095, 'x') + "\n" }, std::string(4095, 'x') + "\r\n" },  // CR LF across the buffer's end
        { { "x", wide + "\n", "y" }, "x" + wide + "\r\ny" },
    };
    for (const Case& c : cases) {
        Stream* stream = StreamOpen(path_.c_str(), StreamWriteText);
        ASSERT_TRUE(stream != NULL);
        for (const std::string& w : c.writes)
            EXPECT_EQ(1, StreamWrite(stream, w.data(), w.size()));
        EXPECT_EQ(1, StreamClose(stream));
        EXPECT_EQ(c.disk, OnDisk()) << c.disk.size();
    }
    // Numbers as "%d" writes them; a binary stream leaves "\n" alone.
    Stream* stream = StreamOpen(path_.c_str(), StreamWriteBinary);
    for (int n : { 0, 7, -1, 150, 2147483647, -2147483647 - 1 }) {
        StreamWriteNumber(stream, n);
        StreamWriteString(stream, "\n");
    }
    EXPECT_EQ(1, StreamClose(stream));
    EXPECT_EQ("0\n7\n-1\n150\n2147483647\n-2147483648\n", OnDisk());
}

TEST_F(StreamTest, TextModeReadsCrLfAsOneLineEnd)
{
    struct Case { std::string disk; std::vector<std::string> lines; };
    const Case cases[] = {
        { "ID 0\r\nPN p\r\n", { "ID 0\n", "PN p\n" } },
        { "ID 0\nPN p", { "ID 0\n", "PN p" } },
        { "a\rb\r\r\nc\r", { "a\rb\r\n", "c\r" } },
        // 498 characters and CR LF fill the 500 bytes exactly; one more
        // character pushes the line end into a line of its own.
        { std::string(498, 'f') + "\r\n", { std::string(498, 'f') + "\n" } },
        { std::string(499, 'g') + "\r\n", { std::string(499, 'g'), "\n" } },
        { "", {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lines, Lines(c.disk)) << c.disk.size();

    // Forty lines of 100 bytes, then one whose CR is the buffer's last byte
    // and whose LF is the next buffer's first.
    std::string disk;
    std::vector<std::string> lines(40, std::string(98, 'x') + "\n");
    for (int i = 0; i < 40; ++i)
        disk += std::string(98, 'x') + "\r\n";
    disk += std::string(95, 'e') + "\r\nz\r\n";
    lines.push_back(std::string(95, 'e') + "\n");
    lines.push_back("z\n");
    EXPECT_EQ(lines, Lines(disk));
}

TEST_F(StreamTest, SeekTellAndSizeHoldUnderBuffering)
{
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes.push_back((char)(i * 7));
    ASSERT_TRUE(WriteWhole(path_, bytes));
    Stream* stream = StreamOpen(path_.c_str(), StreamReadBinary);
    ASSERT_TRUE(stream != NULL);
    unsigned long size = 0;
    ASSERT_EQ(1, StreamSize(stream, &size));
    EXPECT_EQ(bytes.size(), size);

    // Small and large reads, seeks inside and outside what is buffered.
    struct Step { unsigned long seekTo; size_t read; };
    const Step steps[] = { { 0, 10 }, { 5, 3 }, { 4000, 200 }, { 100, 10000 }, { 19990, 50 }, { 25000, 4 } };
    for (const Step& s : steps) {
        ASSERT_EQ(1, StreamSeek(stream, s.seekTo));
        EXPECT_EQ(s.seekTo, StreamTell(stream));
        std::string got(s.read, '\0');
        size_t n = StreamRead(stream, &got[0], s.read);
        size_t expected = s.seekTo >= bytes.size() ? 0 : std::min(s.read, bytes.size() - s.seekTo);
        ASSERT_EQ(expected, n) << s.seekTo;
        EXPECT_EQ(bytes.substr(std::min<size_t>(s.seekTo, bytes.size()), n), got.substr(0, n)) << s.seekTo;
        EXPECT_EQ(s.seekTo + n, StreamTell(stream));
    }
    EXPECT_EQ(1, StreamClose(stream));

    // A writer's size and position count what still waits in its buffer.
    stream = StreamOpen(path_.c_str(), StreamWriteBinary);
    EXPECT_EQ(1, StreamWrite(stream, "abc", 3));
    EXPECT_EQ(1, StreamSize(stream, &size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(3u, StreamTell(stream));
    EXPECT_EQ(1, StreamClose(stream));
    EXPECT_EQ("abc", OnDisk());
}

TEST_F(StreamTest, AFailedWriteIsReportedByFlushAndClose)
{
    EXPECT_TRUE(StreamOpen((folder_ + "/absent/file").c_str(), StreamWriteText) == NULL);
    EXPECT_TRUE(StreamOpen((folder_ + "/absent").c_str(), StreamReadBinary) == NULL);

    // A full disk: the bytes are taken into the buffer, then lost on the way out.
    Stream* stream = StreamOpen("/dev/full", StreamWriteBinary);
    ASSERT_TRUE(stream != NULL);
    EXPECT_EQ(1, StreamWrite(stream, "abc", 3));
    EXPECT_EQ(0, StreamFlush(stream));
    EXPECT_EQ(0, StreamWrite(stream, "d", 1));
    EXPECT_EQ(0, StreamClose(stream));
    // Past the buffer the write itself fails.
    stream = StreamOpen("/dev/full", StreamWriteBinary);
    std::string big(10000, 'b');
    EXPECT_EQ(0, StreamWrite(stream, big.data(), big.size()));
    EXPECT_EQ(0, StreamClose(stream));
}

}  // namespace
