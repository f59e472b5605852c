// The plainest reading of a compress/expand file, one byte at a time through
// a 4,096-byte ring, with the pass-through of files without the header: the
// reference the fuzzers hold our fast reader and our compressor against.
#ifndef KOVRA_FUZZ_RING_DECODE_H
#define KOVRA_FUZZ_RING_DECODE_H

#include <stddef.h>
#include <string.h>

#include <vector>

inline std::vector<unsigned char> RingDecode(const unsigned char* p, size_t n)
{
    static const unsigned char magic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    if (n < 14 || memcmp(p, magic, 8) != 0 || p[8] != 'A')
        return std::vector<unsigned char>(p, p + n);
    std::vector<unsigned char> out;
    unsigned char ring[4096];
    memset(ring, ' ', sizeof(ring));
    unsigned pos = 4080;
    size_t i = 14;
    while (i < n) {
        unsigned flags = p[i++];
        for (int bit = 0; bit < 8; ++bit, flags >>= 1) {
            if (flags & 1) {
                if (i >= n)
                    return out;
                ring[pos] = p[i++];
                out.push_back(ring[pos]);
                pos = (pos + 1) & 4095;
            } else {
                if (i + 1 >= n)
                    return out;
                unsigned src = p[i] | ((p[i + 1] & 0xF0) << 4);
                unsigned len = (p[i + 1] & 0x0F) + 3;
                i += 2;
                for (unsigned k = 0; k < len; ++k) {
                    unsigned char c = ring[(src + k) & 4095];
                    ring[pos] = c;
                    out.push_back(c);
                    pos = (pos + 1) & 4095;
                }
            }
        }
    }
    return out;
}

#endif
