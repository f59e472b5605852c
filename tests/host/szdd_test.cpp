// The SZDD compressor and our streaming reader: round trips through three
// expanders, the golden vectors of what LZ32 and libmspack made of odd
// files, and the compressor's sizes against an exhaustive search.
#include "tools/reference_expand.h"
#include "tools/szdd.h"
#include "tools/szdd_cases.h"
#include "tools/szdd_reader.h"
#include "tests/file_bytes.h"
#include "tests/fuzz/ring_decode.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

const std::string kVectors = KOVRA_SOURCE_DIR "/tests/data/szdd/";

Bytes Compress(const Bytes& in)
{
    Bytes out;
    EXPECT_EQ(1, SzddCompress(in.data(), in.size(), out));
    return out;
}

Bytes Expand(const Bytes& packed)
{
    Bytes out;
    SzddExpandMemory(packed.data(), packed.size(), out);
    return out;
}

std::string WriteTemp(const Bytes& bytes)
{
    char path[] = "/tmp/szdd_test_XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    close(fd);
    EXPECT_TRUE(WriteWhole(path, bytes));
    return path;
}

Bytes Text(const char* s)
{
    return Bytes(s, s + strlen(s));
}

// A source that hands out at most `most` bytes a call, and counts rewinds.
struct DribbleSource {
    const Bytes* data;
    size_t at;
    size_t most;
    int rewinds;
};

size_t DribbleRead(void* context, unsigned char* buffer, size_t count)
{
    DribbleSource* s = (DribbleSource*)context;
    size_t n = s->data->size() - s->at;
    if (n > count)
        n = count;
    if (n > s->most)
        n = s->most;
    memcpy(buffer, s->data->data() + s->at, n);
    s->at += n;
    return n;
}

int DribbleRewind(void* context)
{
    DribbleSource* s = (DribbleSource*)context;
    s->at = 0;
    ++s->rewinds;
    return 1;
}

struct OpenReader {
    DribbleSource source;
    SzddSource hooks;
    SzddReader reader;

    OpenReader(const Bytes& data, size_t most)
    {
        source = DribbleSource{&data, 0, most, 0};
        hooks = SzddSource{&source, DribbleRead, DribbleRewind};
        SzddOpen(&reader, &hooks, data.size());
    }
    Bytes Read(size_t count)
    {
        Bytes out(count);
        out.resize(SzddRead(&reader, out.data(), count));
        return out;
    }
};

// Whether data[at ..] has a match of length len within the window, the
// initial space fill included, found by trying every distance.
bool HasMatch(const Bytes& data, size_t at, size_t len)
{
    auto byteAt = [&data](long p) { return p < 0 ? (unsigned char)' ' : data[(size_t)p]; };
    for (long d = 1; d <= 4096; ++d) {
        size_t k = 0;
        while (k < len && byteAt((long)(at + k) - d) == data[at + k])
            ++k;
        if (k == len)
            return true;
    }
    return false;
}

// The smallest stream size over every possible parse, flag bytes rounded
// up as in the real stream.
void Exhaust(const Bytes& data, const std::vector<std::vector<bool>>& can, size_t at,
             size_t bytes, size_t items, size_t* best)
{
    if (at == data.size()) {
        size_t total = 14 + bytes + (items + 7) / 8;
        if (total < *best)
            *best = total;
        return;
    }
    Exhaust(data, can, at + 1, bytes + 1, items + 1, best);
    for (size_t len = 3; len <= 18 && at + len <= data.size(); ++len)
        if (can[at][len])
            Exhaust(data, can, at + len, bytes + 2, items + 1, best);
}

// Cheapest parse in bits with the longest match at each position found by
// trying every distance: an independent check of the hash chains.
size_t NaiveOptimalSize(const Bytes& data)
{
    size_t n = data.size();
    std::vector<uint64_t> bits(n + 1, ~0ull), items(n + 1, 0);
    bits[0] = 0;
    for (size_t i = 0; i < n; ++i) {
        size_t longest = 0;
        for (long d = 1; d <= 4096; ++d) {
            size_t k = 0;
            while (k < 18 && i + k < n &&
                   ((long)(i + k) - d < 0 ? (unsigned char)' ' : data[i + k - d]) == data[i + k])
                ++k;
            if (k > longest)
                longest = k;
        }
        if (bits[i] + 9 < bits[i + 1]) {
            bits[i + 1] = bits[i] + 9;
            items[i + 1] = items[i] + 1;
        }
        for (size_t l = 3; l <= longest; ++l)
            if (bits[i] + 17 < bits[i + l]) {
                bits[i + l] = bits[i] + 17;
                items[i + l] = items[i] + 1;
            }
    }
    return 14 + (bits[n] - items[n]) / 8 + (items[n] + 7) / 8;
}

TEST(SzddCompress, WritesTheHeaderWithTheExactLength)
{
    Bytes packed = Compress(Text("hello"));
    const unsigned char header[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0, 5, 0, 0, 0};
    ASSERT_GE(packed.size(), sizeof(header));
    EXPECT_EQ(0, memcmp(header, packed.data(), sizeof(header)));
    EXPECT_EQ(14u, Compress(Bytes()).size());

    Bytes big(70000, 'q');
    packed = Compress(big);
    EXPECT_EQ(0x70, packed[10]);
    EXPECT_EQ(0x11, packed[11]);
    EXPECT_EQ(0x01, packed[12]);
    EXPECT_EQ(0x00, packed[13]);

    Bytes out;
    unsigned char dummy = 0;
    EXPECT_EQ(0, SzddCompress(&dummy, (size_t)1 << 32, out));  // beyond the header's 32 bits
}

TEST(SzddCompress, EdgeCasesExpandIdenticallyThroughAllExpanders)
{
    for (const SzddCase& c : SzddEdgeCases()) {
        SCOPED_TRACE(c.name);
        Bytes packed = Compress(c.data);
        EXPECT_EQ(c.data, Expand(packed));
        EXPECT_EQ(c.data, RingDecode(packed.data(), packed.size()));
        Bytes viaMspack;
        EXPECT_EQ(1, MspackExpand(packed.data(), packed.size(), viaMspack));
        EXPECT_EQ(c.data, viaMspack);
        std::string path = WriteTemp(packed);
        Bytes viaMsexpand;
        EXPECT_EQ(1, MsexpandFile(path, viaMsexpand));
        EXPECT_EQ(c.data, viaMsexpand);
        unlink(path.c_str());
    }
}

TEST(SzddCompress, UsesTheSpaceFillAndTheWholeWindow)
{
    // Spaces match the ring's fill from the first byte: one 17-bit item per
    // 18 spaces.
    EXPECT_EQ(14u + 1 + 2, Compress(Bytes(18, ' ')).size());
    EXPECT_EQ(14u + 1 + 2 + 1, Compress(Bytes(19, ' ')).size());  // a match and a literal
    const size_t items4096 = (4096 + 17) / 18;
    EXPECT_EQ(14 + 2 * items4096 + (items4096 + 7) / 8, Compress(Bytes(4096, ' ')).size());

    // A noise block repeated at exactly 4,096 bytes is found again; at 4,097
    // it is out of reach.
    for (const SzddCase& c : SzddEdgeCases()) {
        if (c.name == "distance_4096") {
            size_t items = 4096 + 2 * ((4096 + 17) / 18);
            EXPECT_GE(14 + 4096 + 2 * 2 * ((4096 + 17) / 18) + (items + 7) / 8, Compress(c.data).size());
        }
        if (c.name == "distance_4097")
            EXPECT_GT(Compress(c.data).size(), c.data.size());
    }
}

TEST(SzddCompress, NoParseIsSmallerOnShortInputs)
{
    // Every parse of short inputs over a tiny alphabet, with the space fill:
    // the compressor's stream is never beaten.
    uint64_t state = 12345;
    for (int round = 0; round < 300; ++round) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        size_t n = (size_t)((state >> 33) % 17);
        Bytes data;
        for (size_t i = 0; i < n; ++i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            data.push_back(" ab"[(state >> 33) % 3]);
        }
        std::vector<std::vector<bool>> can(n, std::vector<bool>(19, false));
        for (size_t at = 0; at < n; ++at)
            for (size_t len = 3; len <= 18 && at + len <= n; ++len)
                can[at][len] = HasMatch(data, at, len);
        size_t best = ~(size_t)0;
        Exhaust(data, can, 0, 0, 0, &best);
        EXPECT_EQ(best, Compress(data).size()) << std::string(data.begin(), data.end());
    }
}

TEST(SzddCompress, FindsTheLongestMatchesThatAnExhaustiveSearchFinds)
{
    for (const char* name : {"fill_into_data", "lengths_16_to_20", "all_bytes", "prose", "two_letters"}) {
        for (const SzddCase& c : SzddEdgeCases()) {
            if (c.name != name)
                continue;
            Bytes data(c.data.begin(), c.data.begin() + std::min<size_t>(c.data.size(), 5000));
            EXPECT_EQ(NaiveOptimalSize(data), Compress(data).size()) << name;
        }
    }
}

TEST(SzddParser, ReparsingTheChangedEndGivesTheFreshResult)
{
    Bytes a;
    for (const SzddCase& c : SzddEdgeCases())
        if (c.name == "mixed_wrap")
            a = c.data;
    Bytes b = a;
    for (size_t i = a.size() - 9000; i < a.size(); i += 3)
        b[i] = (unsigned char)(b[i] ^ 0x5A);
    size_t at = a.size() - 9000;

    SzddParser parser;
    parser.Begin(a.data(), a.size());
    parser.Advance(at - 18);
    SzddParser::Mark* mark = parser.Save();
    parser.Advance(a.size());
    Bytes packedA;
    parser.Emit(packedA);
    EXPECT_EQ(Compress(a), packedA);

    parser.Restore(mark, at, b.data() + at, b.size() - at);
    parser.Advance(b.size());
    Bytes packedB;
    parser.Emit(packedB);
    EXPECT_EQ(Compress(b).size(), packedB.size());
    EXPECT_EQ(packedB.size(), parser.CompressedSize());
    EXPECT_EQ(b, Expand(packedB));
    SzddParser::FreeMark(mark);
}

TEST(SzddReader, GoldenVectorsReadAsLz32ReadsThem)
{
    const char* const names[] = {
        "c01_literals.tx_", "c02_fillmatch.tx_", "c03_selfslot.tx_", "c04_rle.tx_",
        "c05_wrap.tx_", "c06_hdr_long.tx_", "c07_hdr_short.tx_", "c08_trunc_midmatch.tx_",
        "c09_empty.tx_", "c10_shorthdr.tx_", "c11_plain.txt", "c12_modeB.tx_",
        "c13_qbasic.tx_", "c14_trailing.tx_", "c15_flag_ones.tx_", "c16_trunc_onebyte.tx_"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        Bytes packed, wine, mspack;
        ASSERT_TRUE(ReadWhole(kVectors + name, packed));
        ASSERT_TRUE(ReadWhole(kVectors + name + ".wine", wine));
        // Whole, and dribbled a byte at a time from the source in odd reads.
        EXPECT_EQ(wine, Expand(packed));
        OpenReader r(packed, 1);
        Bytes got, part;
        while (!(part = r.Read(3)).empty())
            got.insert(got.end(), part.begin(), part.end());
        EXPECT_EQ(wine, got);
        // libmspack, where it takes the file at all.
        if (ReadWhole(kVectors + name + ".mspack", mspack)) {
            Bytes out;
            EXPECT_EQ(1, MspackExpand(packed.data(), packed.size(), out));
            EXPECT_EQ(mspack, out);
        }
    }
}

TEST(SzddReader, SeeksAsLz32Does)
{
    Bytes packed, wine;
    ASSERT_TRUE(ReadWhole(kVectors + "c06_hdr_long.tx_", packed));
    OpenReader longer(packed, 4096);
    EXPECT_TRUE(SzddIsCompressed(&longer.reader));
    EXPECT_EQ(1000, SzddSeek(&longer.reader, 0, 2));  // the header's length, not the data's
    EXPECT_EQ(990, SzddSeek(&longer.reader, -10, 2));
    EXPECT_EQ(0, SzddSeek(&longer.reader, 0, 0));
    EXPECT_EQ(19u, longer.Read(10000).size());
    EXPECT_EQ(0u, longer.Read(10000).size());

    ASSERT_TRUE(ReadWhole(kVectors + "c07_hdr_short.tx_", packed));
    ASSERT_TRUE(ReadWhole(kVectors + "c07_hdr_short.tx_.wine", wine));
    OpenReader shorter(packed, 4096);
    EXPECT_EQ(5, SzddSeek(&shorter.reader, 0, 2));
    EXPECT_EQ(0, SzddSeek(&shorter.reader, 0, 0));
    EXPECT_EQ(wine, shorter.Read(10000));  // decodes past the header's length

    // Outside 0 .. length: refused, the position kept.
    Bytes data = Text("Kovra Rendo Cup, Kovra Rendo Cup, Kovra Rendo Cup!");
    Bytes p = Compress(data);
    OpenReader r(p, 5);
    EXPECT_EQ(Bytes(data.begin(), data.begin() + 6), r.Read(6));
    EXPECT_EQ(SzddErrorBadValue, SzddSeek(&r.reader, -7, 1));
    EXPECT_EQ(SzddErrorBadValue, SzddSeek(&r.reader, 1, 2));
    EXPECT_EQ(SzddErrorBadValue, SzddSeek(&r.reader, 0, 3));
    EXPECT_EQ(Bytes(data.begin() + 6, data.begin() + 11), r.Read(5));
    // Forward skips, backward restarts from the source's start.
    EXPECT_EQ(30, SzddSeek(&r.reader, 19, 1));
    EXPECT_EQ(Bytes(data.begin() + 30, data.begin() + 34), r.Read(4));
    EXPECT_EQ(0, r.source.rewinds);
    EXPECT_EQ(2, SzddSeek(&r.reader, 2, 0));
    EXPECT_EQ(Bytes(data.begin() + 2, data.end()), r.Read(1000));
    EXPECT_EQ(1, r.source.rewinds);
    EXPECT_EQ((int64_t)data.size(), SzddSeek(&r.reader, 0, 1));

    // A file without the header passes through; its length is its size.
    ASSERT_TRUE(ReadWhole(kVectors + "c11_plain.txt", packed));
    OpenReader raw(packed, 7);
    EXPECT_FALSE(SzddIsCompressed(&raw.reader));
    EXPECT_EQ((int64_t)packed.size(), SzddSeek(&raw.reader, 0, 2));
    EXPECT_EQ(100, SzddSeek(&raw.reader, 100, 0));
    EXPECT_EQ(Bytes(packed.begin() + 100, packed.end()), raw.Read(1000));
    EXPECT_EQ(0, SzddSeek(&raw.reader, 0, 0));
    EXPECT_EQ(packed, raw.Read(1000));
}

TEST(SzddReader, AgreesWithTheRingDecoderOnArbitraryStreams)
{
    // Random items after a valid header: matches anywhere in the ring,
    // truncated ends, every flag pattern.
    uint64_t state = 99;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    for (int round = 0; round < 300; ++round) {
        Bytes packed(14, 0);
        SzddWriteHeader(packed.data(), 12345);
        size_t n = next() % 3000;
        for (size_t i = 0; i < n; ++i)
            packed.push_back((unsigned char)(next() % 4 == 0 ? 0 : next()));
        Bytes expect = RingDecode(packed.data(), packed.size());
        EXPECT_EQ(expect, Expand(packed));
        OpenReader r(packed, 1 + next() % 50);
        Bytes got, part;
        size_t chunk = 1 + next() % 20000;
        while (!(part = r.Read(chunk)).empty())
            got.insert(got.end(), part.begin(), part.end());
        EXPECT_EQ(expect, got) << "round " << round;
    }
}

}  // namespace
