// Our compressor's files through the platform's LZ expansion library, the
// one the setup uses: two golden streams held here, the edge cases and the
// demo payload that the host build wrote, read as the setup reads them.
#include "tests/file_bytes.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

const std::string kPayloadDir = KOVRA_PAYLOAD_DIR_WIN;

// "  a  a   ab   ab   ab   abc    abc": the first match reaches back into
// the literals just written, the later ones overlap themselves.
const unsigned char kFillIntoData[] = {
    0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 0x00, 0x22, 0x00,
    0x00, 0x00, 0xA7, 0x20, 0x20, 0x61, 0xF0, 0xF0, 0xEF, 0xF1, 0x62, 0xF6,
    0xFC, 0x63, 0x01, 0x20, 0x05, 0x03};
const unsigned char kRepeatedName[] = {
    0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 0x41, 0x00, 0x32, 0x00,
    0x00, 0x00, 0xFF, 0x4B, 0x6F, 0x76, 0x72, 0x61, 0x20, 0x52, 0x65, 0xFF,
    0x6E, 0x64, 0x6F, 0x20, 0x43, 0x75, 0x70, 0x2C, 0x04, 0xEF, 0xFC, 0xFE,
    0xFF, 0x21};

std::string WriteTemp(const unsigned char* data, size_t size)
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "lzt", 0, path);
    EXPECT_TRUE(WriteWhole(path, data, size));
    return path;
}

// Opens through LZ32, checks the length the end seek reports, and reads in
// 10,000-byte chunks until a read returns 0.
Bytes ExpandWithLz32(const std::string& path, LONG expectedLength)
{
    OFSTRUCT of;
    memset(&of, 0, sizeof of);
    INT handle = LZOpenFileA((LPSTR)path.c_str(), &of, OF_READ);
    EXPECT_GE(handle, 0) << path;
    Bytes out;
    if (handle < 0)
        return out;
    EXPECT_EQ(expectedLength, LZSeek(handle, 0, 2)) << path;
    EXPECT_EQ(0, LZSeek(handle, 0, 0));
    static char chunk[10000];
    INT got;
    while ((got = LZRead(handle, chunk, sizeof chunk)) > 0)
        out.insert(out.end(), chunk, chunk + got);
    EXPECT_EQ(0, got);
    LZClose(handle);
    return out;
}

TEST(Lz32, ExpandsGoldenStreamsOfOurCompressor)
{
    std::string path = WriteTemp(kFillIntoData, sizeof kFillIntoData);
    std::string text = "  a  a   ab   ab   ab   abc    abc";
    EXPECT_EQ(Bytes(text.begin(), text.end()), ExpandWithLz32(path, (LONG)text.size()));
    DeleteFileA(path.c_str());

    path = WriteTemp(kRepeatedName, sizeof kRepeatedName);
    text = "Kovra Rendo Cup, Kovra Rendo Cup, Kovra Rendo Cup!";
    EXPECT_EQ(Bytes(text.begin(), text.end()), ExpandWithLz32(path, (LONG)text.size()));
    DeleteFileA(path.c_str());
}

TEST(Lz32, ExpandsEveryEdgeCaseOfOurCompressor)
{
    Bytes list;
    if (!ReadWhole(kPayloadDir + "\\cases\\cases.txt", list))
        GTEST_SKIP() << "the host build writes the cases";
    std::string names(list.begin(), list.end());
    int cases = 0;
    for (size_t start = 0, end; (end = names.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string base = kPayloadDir + "\\cases\\" + names.substr(start, end - start);
        SCOPED_TRACE(base);
        Bytes plain;
        ASSERT_TRUE(ReadWhole(base + ".bin", plain));
        EXPECT_TRUE(plain == ExpandWithLz32(base + ".sz_", (LONG)plain.size()));
        ++cases;
    }
    EXPECT_GE(cases, 20);
}

TEST(Lz32, ExpandsTheDemoPayloadInTheSetupsSlices)
{
    Bytes archive;
    if (!ReadWhole(kPayloadDir + "\\payload.uni", archive))
        GTEST_SKIP() << "the host build makes the demo payload";
    std::string path = kPayloadDir + "\\payload.sz_";
    OFSTRUCT of;
    memset(&of, 0, sizeof of);
    INT handle = LZOpenFileA((LPSTR)path.c_str(), &of, OF_READ);
    ASSERT_GE(handle, 0);
    LONG size = LZSeek(handle, 0, 2);
    ASSERT_EQ(14391756, size);
    ASSERT_EQ(0, LZSeek(handle, 0, 0));

    // Forty slices, the last with the remainder, each in chunks of at most
    // 10,000 bytes, every read giving exactly what it asked for.
    static char chunk[10000];
    DWORD remaining = (DWORD)size, at = 0;
    for (int step = 21; step <= 60; ++step) {
        DWORD slice = step == 60 ? remaining : (DWORD)size / 40;
        for (DWORD left = slice; left > 0;) {
            DWORD want = left < sizeof chunk ? left : (DWORD)sizeof chunk;
            ASSERT_EQ((INT)want, LZRead(handle, chunk, (INT)want)) << "at " << at;
            ASSERT_EQ(0, memcmp(chunk, &archive[at], want)) << "at " << at;
            at += want;
            left -= want;
        }
        remaining -= slice;
    }
    EXPECT_EQ(archive.size(), at);
    EXPECT_EQ(0, LZRead(handle, chunk, sizeof chunk));
    LZClose(handle);
}

}  // namespace
