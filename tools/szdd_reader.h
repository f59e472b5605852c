// A streaming reader of compress/expand files with the four operations of
// the platform's LZ expansion library (open, seek, read, close) and the same
// answers that library gives: a file that does not start with the SZDD
// header and mode 'A' is passed through unchanged; the seek works on the
// length the header states; reads decode until the compressed data run out
// (a match cut short is dropped), whatever the header says.
#ifndef KOVRA_TOOLS_SZDD_READER_H
#define KOVRA_TOOLS_SZDD_READER_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum {
    SzddErrorBadValue = -7,  // a seek outside 0 .. length, as LZERROR_BADVALUE
    SzddInputChunk = 4096,
    SzddOutputChunk = 32768,
    SzddHistory = 4096,
    SzddSlack = 8 * 18 + 18
};

// Where the compressed bytes come from. read returns the bytes it gave, 0 at
// the end (or on an error); rewind goes back to the first byte, 1 on success.
struct SzddSource {
    void* context;
    size_t (*read)(void* context, unsigned char* buffer, size_t count);
    int (*rewind)(void* context);
};

struct SzddReader {
    SzddSource source;
    uint64_t sourceSize;
    int compressed;
    uint64_t length;     // the header's expanded length, or the raw size
    uint64_t wanted;     // where the next read starts (after seeks)
    uint64_t position;   // bytes produced since the start of the data
    int failed;          // the source could not be rewound
    // Decoding: the window holds the last 4,096 bytes written as history and
    // the bytes decoded ahead of the reader; its addresses map onto the ring.
    unsigned flags;      // flag bits left, above a stop bit; 1 when used up
    int inputEnded;
    size_t inPos, inEnd;
    size_t readPos, writePos;
    unsigned ringBias;   // ring position of window[i] is (ringBias + i) & 4095
    unsigned char input[SzddInputChunk];
    unsigned char window[SzddHistory + SzddOutputChunk + SzddSlack];
};

// Reads the header; returns 1. sourceSize is the compressed file's size,
// which a pass-through file reports as its length.
int SzddOpen(SzddReader* reader, const SzddSource* source, uint64_t sourceSize);
// 1 when the file has the compressed header.
int SzddIsCompressed(const SzddReader* reader);
// origin 0 = start, 1 = current position, 2 = end (the header's length).
// Returns the new position, or SzddErrorBadValue (position unchanged) when it
// would lie before 0 or after the length. Seeking back restarts the decoding
// at the next read.
int64_t SzddSeek(SzddReader* reader, int64_t offset, int origin);
// Reads up to count expanded bytes; returns the number read, 0 at the end of
// the data or when the source cannot be rewound for a backward seek.
size_t SzddRead(SzddReader* reader, void* buffer, size_t count);
void SzddClose(SzddReader* reader);

// Expands a whole file held in memory; the header's length is not enforced.
void SzddExpandMemory(const unsigned char* data, size_t size, std::vector<unsigned char>& out);

#endif
