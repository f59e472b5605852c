// The compress/expand format that the LZ expansion library reads: a 14-byte
// header ("SZDD" 88 F0 27 33, mode 'A', a spare byte, the expanded length as
// 32-bit little-endian) and LZSS data over a 4,096-byte ring that starts
// filled with spaces and is written from position 4080. Each flag byte rules
// the next eight items, low bit first: 1 = a literal byte, 0 = a match of two
// bytes, the ring position in 12 bits (low eight in the first byte, high four
// in the high nibble of the second) and the length - 3 in the low nibble.
#ifndef KOVRA_TOOLS_SZDD_H
#define KOVRA_TOOLS_SZDD_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum {
    SzddHeaderSize = 14,
    SzddWindowSize = 4096,
    SzddStartPosition = 4080,
    SzddFill = ' ',
    SzddMinMatch = 3,
    SzddMaxMatch = 18,
    SzddLiteralBits = 9,
    SzddMatchBits = 17
};

extern const unsigned char kSzddMagic[8];

// Writes the 14 header bytes for an expanded length.
void SzddWriteHeader(unsigned char* header, uint32_t expandedLength);

// Called now and then during a long compression with the bytes done so far.
typedef void (*SzddProgress)(void* context, uint64_t done, uint64_t total);

// Compresses data into out (header included) with an optimal parse: no other
// stream of this format that expands to the same data is shorter. (The parse
// is optimal in bits; the last flag byte's unused bits cost less than a byte.)
// Returns 0 only when size does not fit the header's 32 bits.
int SzddCompress(const unsigned char* data, size_t size, std::vector<unsigned char>& out,
                 SzddProgress progress = 0, void* progressContext = 0);

// The optimal parse, exposed in steps so that a caller that varies only the
// end of its data (the demo game's size tuning) can re-run just that end.
class SzddParser {
public:
    SzddParser();
    ~SzddParser();

    // Takes a copy of data; the parse starts at position 0.
    void Begin(const unsigned char* data, size_t size);
    // Parses positions up to (not including) end.
    void Advance(size_t end, SzddProgress progress = 0, void* progressContext = 0);
    // Everything the parse of positions from here on depends on, other than
    // the data from here on: take it at a position at least 17 bytes before
    // the first byte that will change.
    struct Mark;
    Mark* Save() const;
    // Goes back to a mark and replaces the data from position at on (at must
    // not lie before the mark plus 17) with bytes; the size stays.
    void Restore(const Mark* mark, size_t at, const unsigned char* bytes, size_t count);
    static void FreeMark(Mark* mark);

    size_t Position() const { return pos_; }
    size_t Size() const { return size_; }
    // Size of the finished stream, header included; only after the parse
    // has reached the end.
    uint64_t CompressedSize() const;
    // The finished stream, header included.
    void Emit(std::vector<unsigned char>& out) const;

private:
    SzddParser(const SzddParser&);
    void operator=(const SzddParser&);
    enum { FinderLevels = 3 };
    void ResetFinder(size_t from);
    void Insert(size_t q);
    unsigned WalkChain(int level, size_t q, unsigned best, unsigned target, unsigned* distance);
    unsigned FindMatch(size_t q, unsigned* distance);

    std::vector<unsigned char> buf_;  // the ring's first fill, then the data
    size_t size_;
    size_t pos_;
    // Hash chains over the window, one set per key length (3, 6, 12 bytes).
    std::vector<int64_t> head_[FinderLevels];
    int64_t prev_[FinderLevels][SzddWindowSize];
    unsigned lastDistance_;
    std::vector<uint16_t> distance_;  // per data position: longest match's distance
    std::vector<uint8_t> step_;       // per data position + 1: the item that ends there
    uint64_t cost_[32];               // bits to reach positions pos_ .. pos_ + 18
    uint64_t items_[32];
};

#endif
