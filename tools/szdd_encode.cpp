// The compressor. Every match costs 17 bits whatever its length and every
// literal 9, so the cheapest parse needs only the longest match at each
// position: all shorter lengths from 3 on are then available at the same
// distance. A forward shortest-path pass over the positions finds it.
//
// The longest matches are found exactly, over the whole 4,096-byte window.
// Hash chains keyed on 12, 6 and 3 bytes are walked from the longest key
// down: every match of at least K bytes sits in the chain of K-byte keys, so
// once a chain has given a match of its key length the shorter chains are
// moot. Data with few distinct short strings (two-letter alphabets, masks)
// would otherwise walk thousands of 3-byte candidates per position.
#include "tools/szdd.h"

#include <string.h>

#include <algorithm>

const unsigned char kSzddMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};

void SzddWriteHeader(unsigned char* header, uint32_t expandedLength)
{
    memcpy(header, kSzddMagic, sizeof(kSzddMagic));
    header[8] = 'A';
    header[9] = 0;
    for (int i = 0; i < 4; ++i)
        header[10 + i] = (unsigned char)(expandedLength >> (8 * i));
}

namespace {

enum { HashBits = 14, RingMask = 31, WindowMask = SzddWindowSize - 1, PadBytes = 16 };
const uint64_t kUnreached = ~(uint64_t)0;
const unsigned kKeyLength[3] = {3, 6, 12};

inline uint64_t Load(const unsigned char* p, unsigned n)
{
    uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i)
        v |= (uint64_t)p[i] << (8 * i);
    return v;
}

inline unsigned HashKey(const unsigned char* p, int level)
{
    uint64_t v;
    if (level == 0)
        v = Load(p, 3);
    else if (level == 1)
        v = Load(p, 6);
    else
        v = Load(p, 8) ^ (Load(p + 8, 4) * 0xC2B2AE3D27D4EB4Full);
    return (unsigned)((v * 0x9E3779B97F4A7C15ull) >> (64 - HashBits));
}

}  // namespace

struct SzddParser::Mark {
    size_t pos;
    uint64_t cost[32];
    uint64_t items[32];
    uint8_t step[SzddMaxMatch + 1];
};

SzddParser::SzddParser() : size_(0), pos_(0), lastDistance_(0)
{
    memset(prev_, 0, sizeof(prev_));
    memset(cost_, 0, sizeof(cost_));
    memset(items_, 0, sizeof(items_));
}

SzddParser::~SzddParser() {}

void SzddParser::Begin(const unsigned char* data, size_t size)
{
    // The data sit behind a copy of the ring's first fill, so that matches
    // reaching into the fill are plain matches; the pad keeps the keys of
    // the last positions inside the buffer.
    buf_.assign(SzddWindowSize + size + PadBytes, 0);
    memset(buf_.data(), SzddFill, SzddWindowSize);
    if (size)
        memcpy(buf_.data() + SzddWindowSize, data, size);
    size_ = size;
    pos_ = 0;
    distance_.assign(size, 0);
    step_.assign(size + 1, 0);
    for (int i = 0; i < 32; ++i) {
        cost_[i] = kUnreached;
        items_[i] = 0;
    }
    cost_[0] = 0;
    ResetFinder(0);
}

void SzddParser::Insert(size_t q)
{
    for (int level = 0; level < FinderLevels; ++level) {
        unsigned h = HashKey(&buf_[q], level);
        prev_[level][q & WindowMask] = head_[level][h];
        head_[level][h] = (int64_t)q;
    }
}

// Rebuilds the hash chains for a search from data position from: the window
// before it is all that a search can reach.
void SzddParser::ResetFinder(size_t from)
{
    for (int level = 0; level < FinderLevels; ++level)
        head_[level].assign((size_t)1 << HashBits, -1);
    for (size_t q = from; q < from + SzddWindowSize; ++q)
        Insert(q);
    lastDistance_ = 0;
}

// The longest match above best and up to target among the chain's
// candidates for buffer position q; best when none is longer.
unsigned SzddParser::WalkChain(int level, size_t q, unsigned best, unsigned target, unsigned* distance)
{
    const unsigned char* s = &buf_[q];
    int64_t limit = (int64_t)q - SzddWindowSize;
    const int64_t* prev = prev_[level];
    for (int64_t c = head_[level][HashKey(s, level)]; c >= limit; c = prev[(size_t)c & WindowMask]) {
        const unsigned char* t = &buf_[(size_t)c];
        if (t[best] != s[best])
            continue;
        unsigned l = 0;
        while (l < target && t[l] == s[l])
            ++l;
        if (l > best) {
            best = l;
            *distance = (unsigned)(q - (size_t)c);
            if (l == target)
                break;
        }
    }
    return best;
}

// Longest match (up to 18) for buffer position q within the window, then q
// joins the chains. Returns the length, 0 when below 3.
unsigned SzddParser::FindMatch(size_t q, unsigned* distance)
{
    size_t end = SzddWindowSize + size_;
    unsigned maxLen = end - q < SzddMaxMatch ? (unsigned)(end - q) : SzddMaxMatch;
    const unsigned char* s = &buf_[q];
    unsigned best = 0, bestDistance = 0;

    if (maxLen >= SzddMinMatch) {
        // A long run usually goes on at the distance that served the last
        // position; when it gives the most there is to have, the walk is moot.
        if (lastDistance_) {
            const unsigned char* t = s - lastDistance_;
            unsigned l = 0;
            while (l < maxLen && t[l] == s[l])
                ++l;
            if (l == maxLen) {
                best = l;
                bestDistance = lastDistance_;
            }
        }
        // From the longest key down; a level only looks for lengths that the
        // level above has shown not to exist.
        for (int level = FinderLevels - 1; !best && level >= 0; --level) {
            unsigned key = kKeyLength[level];
            if (maxLen < key)
                continue;
            unsigned target = maxLen;
            if (level + 1 < FinderLevels && maxLen >= kKeyLength[level + 1])
                target = kKeyLength[level + 1] - 1;
            unsigned d = 0;
            unsigned found = WalkChain(level, q, key - 1, target, &d);
            if (found >= key) {
                best = found;
                bestDistance = d;
            }
        }
    }

    Insert(q);
    lastDistance_ = bestDistance;
    *distance = bestDistance;
    return best;
}

void SzddParser::Advance(size_t end, SzddProgress progress, void* progressContext)
{
    if (end > size_)
        end = size_;
    for (size_t i = pos_; i < end; ++i) {
        uint64_t cost = cost_[i & RingMask];
        uint64_t items = items_[i & RingMask] + 1;
        cost_[i & RingMask] = kUnreached;

        unsigned distance;
        unsigned longest = FindMatch(i + SzddWindowSize, &distance);
        distance_[i] = (uint16_t)distance;

        uint64_t c = cost + SzddLiteralBits;
        if (c < cost_[(i + 1) & RingMask]) {
            cost_[(i + 1) & RingMask] = c;
            items_[(i + 1) & RingMask] = items;
            step_[i + 1] = 1;
        }
        c = cost + SzddMatchBits;
        for (unsigned l = SzddMinMatch; l <= longest; ++l) {
            size_t j = i + l;
            if (c < cost_[j & RingMask]) {
                cost_[j & RingMask] = c;
                items_[j & RingMask] = items;
                step_[j] = (uint8_t)l;
            }
        }
        if (progress && ((i + 1) & 0xFFFFF) == 0)
            progress(progressContext, i + 1, size_);
    }
    if (end > pos_)
        pos_ = end;
}

SzddParser::Mark* SzddParser::Save() const
{
    Mark* mark = new Mark;
    mark->pos = pos_;
    memcpy(mark->cost, cost_, sizeof(cost_));
    memcpy(mark->items, items_, sizeof(items_));
    for (size_t j = 0; j <= SzddMaxMatch; ++j)
        mark->step[j] = pos_ + j <= size_ ? step_[pos_ + j] : 0;
    return mark;
}

void SzddParser::Restore(const Mark* mark, size_t at, const unsigned char* bytes, size_t count)
{
    if (at < size_) {
        if (count > size_ - at)
            count = size_ - at;
        memcpy(&buf_[SzddWindowSize + at], bytes, count);
    }
    pos_ = mark->pos;
    memcpy(cost_, mark->cost, sizeof(cost_));
    memcpy(items_, mark->items, sizeof(items_));
    for (size_t j = 0; j <= SzddMaxMatch; ++j)
        if (pos_ + j <= size_)
            step_[pos_ + j] = mark->step[j];
    ResetFinder(pos_);
}

void SzddParser::FreeMark(Mark* mark)
{
    delete mark;
}

uint64_t SzddParser::CompressedSize() const
{
    // Bits = 8 x (data bytes) + items, one flag bit per item.
    uint64_t bits = cost_[size_ & RingMask];
    uint64_t items = items_[size_ & RingMask];
    return SzddHeaderSize + (bits - items) / 8 + (items + 7) / 8;
}

void SzddParser::Emit(std::vector<unsigned char>& out) const
{
    std::vector<uint8_t> items;
    for (size_t j = size_; j > 0; j -= step_[j])
        items.push_back(step_[j]);

    out.clear();
    out.reserve((size_t)CompressedSize());
    out.resize(SzddHeaderSize);
    SzddWriteHeader(out.data(), (uint32_t)size_);

    const unsigned char* data = &buf_[SzddWindowSize];
    size_t flagAt = 0, i = 0;
    unsigned bit = 0;
    for (size_t k = items.size(); k-- > 0;) {
        unsigned length = items[k];
        if (bit == 0) {
            flagAt = out.size();
            out.push_back(0);
        }
        if (length == 1) {
            out[flagAt] |= (unsigned char)(1u << bit);
            out.push_back(data[i]);
        } else {
            // The ring position of the source: the write position is 4080
            // plus the bytes written, so a distance of 4,096 names the write
            // position itself, whose old byte is read before it is replaced.
            unsigned position = (unsigned)((SzddStartPosition + (i & WindowMask) +
                                            SzddWindowSize - distance_[i]) & WindowMask);
            out.push_back((unsigned char)(position & 0xFF));
            out.push_back((unsigned char)(((position >> 4) & 0xF0) | (length - SzddMinMatch)));
        }
        bit = (bit + 1) & 7;
        i += length;
    }
}

int SzddCompress(const unsigned char* data, size_t size, std::vector<unsigned char>& out,
                 SzddProgress progress, void* progressContext)
{
    if ((uint64_t)size > 0xFFFFFFFFull)
        return 0;
    SzddParser parser;
    parser.Begin(data, size);
    parser.Advance(size, progress, progressContext);
    parser.Emit(out);
    return 1;
}
