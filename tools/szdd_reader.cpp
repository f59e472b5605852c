// The streaming reader. Decoding runs ahead of the caller into a window that
// keeps the ring's last 4,096 bytes in front of the new ones, so that a match
// is a copy between two addresses of one buffer; while enough input and room
// are left a whole flag group is decoded without further checks.
#include "tools/szdd_reader.h"
#include "tools/szdd.h"

#include <string.h>

namespace {

enum { GroupInput = 17, GroupOutput = 8 * SzddMaxMatch, RingMask = SzddWindowSize - 1 };
const size_t kDecodeLimit = SzddHistory + SzddOutputChunk;

// Reads until count bytes or the end of the source.
size_t ReadFully(SzddSource* source, unsigned char* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        size_t got = source->read(source->context, buffer + done, count - done);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void StartData(SzddReader* r)
{
    r->position = 0;
    r->flags = 1;
    r->inputEnded = 0;
    memset(r->window, SzddFill, SzddHistory);
    r->readPos = r->writePos = SzddHistory;
    r->ringBias = (SzddStartPosition - SzddHistory) & RingMask;
}

// Tops the input up to at least want bytes, unless the source has ended.
// Returns the bytes available.
size_t Available(SzddReader* r, size_t want)
{
    size_t have = r->inEnd - r->inPos;
    if (have >= want || r->inputEnded)
        return have;
    memmove(r->input, r->input + r->inPos, have);
    r->inPos = 0;
    r->inEnd = have;
    while (r->inEnd < sizeof(r->input)) {
        size_t got = r->source.read(r->source.context, r->input + r->inEnd,
                                    sizeof(r->input) - r->inEnd);
        if (got == 0) {
            r->inputEnded = 1;
            break;
        }
        r->inEnd += got;
        if (r->inEnd - r->inPos >= want)
            break;
    }
    return r->inEnd - r->inPos;
}

inline void CopyMatch(unsigned char* w, unsigned distance, unsigned length)
{
    const unsigned char* src = w - distance;
    if (distance >= SzddMaxMatch) {
        memcpy(w, src, SzddMaxMatch);  // the slack after the window takes the excess
    } else {
        for (unsigned k = 0; k < length; ++k)
            w[k] = src[k];
    }
}

// Expands the match item at in (12-bit ring position, length 3..18) at w;
// returns the address after it. A position equal to the ring position of w
// reaches back the whole window.
inline unsigned char* ExpandMatch(const unsigned char* in, const unsigned char* window, unsigned char* w,
                                  unsigned bias)
{
    unsigned position = in[0] | ((unsigned)(in[1] & 0xF0) << 4);
    unsigned length = (in[1] & 0x0F) + SzddMinMatch;
    unsigned ring = (unsigned)((bias + (size_t)(w - window)) & RingMask);
    unsigned distance = ((ring - position) & RingMask);
    if (distance == 0)
        distance = SzddWindowSize;
    CopyMatch(w, distance, length);
    return w + length;
}

// Decodes ahead into the window; returns the bytes added, 0 at the end of the
// data. Called only when everything decoded has been handed out.
size_t Decode(SzddReader* r)
{
    if (r->writePos + GroupOutput > kDecodeLimit) {
        size_t shift = r->writePos - SzddHistory;
        memmove(r->window, r->window + shift, SzddHistory);
        r->ringBias = (unsigned)((r->ringBias + shift) & RingMask);
        r->readPos = r->writePos = SzddHistory;
    }
    unsigned char* const window = r->window;
    unsigned char* w = window + r->writePos;
    unsigned char* const limit = window + kDecodeLimit;
    const unsigned bias = r->ringBias;
    unsigned flags = r->flags;

    while (w < limit) {
        // Whole groups while the input holds a full one and the room is there.
        if (flags == 1 && w + GroupOutput <= limit && Available(r, GroupInput) >= GroupInput) {
            const unsigned char* in = r->input + r->inPos;
            do {
                unsigned f = *in++;
                for (int k = 0; k < 8; ++k, f >>= 1) {
                    if (f & 1) {
                        *w++ = *in++;
                    } else {
                        w = ExpandMatch(in, window, w, bias);
                        in += 2;
                    }
                }
            } while (w + GroupOutput <= limit && (size_t)(r->input + r->inEnd - in) >= GroupInput);
            r->inPos = (size_t)(in - r->input);
            continue;
        }
        // One item at a time near the end of the input or of the room.
        if (flags == 1) {
            if (Available(r, 1) < 1)
                break;
            flags = 0x100u | r->input[r->inPos++];
        }
        if (flags & 1) {
            if (Available(r, 1) < 1)
                break;
            *w++ = r->input[r->inPos++];
        } else {
            if (Available(r, 2) < 2) {
                r->inPos = r->inEnd;  // a match cut short is dropped
                break;
            }
            w = ExpandMatch(r->input + r->inPos, window, w, bias);
            r->inPos += 2;
        }
        flags >>= 1;
    }
    r->flags = flags;
    size_t added = (size_t)(w - window) - r->writePos;
    r->writePos = (size_t)(w - window);
    return added;
}

// Makes more bytes ready to hand out: decodes ahead into the window, or for
// a pass-through file reads the next chunk of input. Returns 0 at the end.
size_t Refill(SzddReader* r)
{
    if (r->compressed)
        return Decode(r);
    if (r->inputEnded)
        return 0;
    r->inPos = 0;
    r->inEnd = r->source.read(r->source.context, r->input, sizeof(r->input));
    if (r->inEnd == 0)
        r->inputEnded = 1;
    return r->inEnd;
}

// Hands out up to count expanded bytes (or drops them when buffer is 0): the
// decoded window's, or a pass-through file's input, whose header bytes read
// at the open come first.
size_t Produce(SzddReader* r, unsigned char* buffer, size_t count)
{
    const unsigned char* from = r->compressed ? r->window : r->input;
    size_t* at = r->compressed ? &r->readPos : &r->inPos;
    const size_t* end = r->compressed ? &r->writePos : &r->inEnd;
    size_t done = 0;
    while (done < count) {
        if (*at == *end && Refill(r) == 0)
            break;
        size_t n = *end - *at;
        if (n > count - done)
            n = count - done;
        if (buffer)
            memcpy(buffer + done, from + *at, n);
        *at += n;
        done += n;
    }
    r->position += done;
    return done;
}

// Back to the first expanded byte: the source from its start, past the header.
int Restart(SzddReader* r)
{
    if (!r->source.rewind(r->source.context)) {
        r->failed = 1;
        return 0;
    }
    r->inPos = r->inEnd = 0;
    if (r->compressed) {
        unsigned char header[SzddHeaderSize];
        if (ReadFully(&r->source, header, sizeof(header)) != sizeof(header)) {
            r->failed = 1;
            return 0;
        }
        StartData(r);
    } else {
        r->position = 0;
        r->inputEnded = 0;
    }
    return 1;
}

}  // namespace

int SzddOpen(SzddReader* r, const SzddSource* source, uint64_t sourceSize)
{
    r->source = *source;
    r->sourceSize = sourceSize;
    r->failed = 0;
    r->wanted = 0;
    r->inPos = 0;
    r->inEnd = ReadFully(&r->source, r->input, SzddHeaderSize);
    r->compressed = r->inEnd == SzddHeaderSize && memcmp(r->input, kSzddMagic, 8) == 0 &&
                    r->input[8] == 'A';
    StartData(r);
    if (r->compressed) {
        r->length = (uint64_t)r->input[10] | ((uint64_t)r->input[11] << 8) |
                    ((uint64_t)r->input[12] << 16) | ((uint64_t)r->input[13] << 24);
        r->inPos = r->inEnd = 0;
    } else {
        r->length = sourceSize;
        r->inputEnded = r->inEnd < SzddHeaderSize;
    }
    return 1;
}

int SzddIsCompressed(const SzddReader* r)
{
    return r->compressed;
}

int64_t SzddSeek(SzddReader* r, int64_t offset, int origin)
{
    int64_t base = origin == 0 ? 0 : origin == 1 ? (int64_t)r->wanted : (int64_t)r->length;
    if (origin < 0 || origin > 2)
        return SzddErrorBadValue;
    int64_t target = base + offset;
    if (target < 0 || (uint64_t)target > r->length)
        return SzddErrorBadValue;
    r->wanted = (uint64_t)target;
    return target;
}

size_t SzddRead(SzddReader* r, void* buffer, size_t count)
{
    if (r->failed)
        return 0;
    if (r->wanted < r->position && !Restart(r))
        return 0;
    while (r->position < r->wanted) {
        uint64_t skip = r->wanted - r->position;
        if (Produce(r, 0, skip > SzddOutputChunk ? SzddOutputChunk : (size_t)skip) == 0)
            break;
    }
    if (r->position < r->wanted)
        return 0;
    size_t done = Produce(r, (unsigned char*)buffer, count);
    r->wanted = r->position;
    return done;
}

void SzddClose(SzddReader* r)
{
    r->failed = 1;
}

namespace {

struct MemorySource {
    const unsigned char* data;
    size_t size;
    size_t at;
};

size_t MemoryRead(void* context, unsigned char* buffer, size_t count)
{
    MemorySource* m = (MemorySource*)context;
    size_t n = m->size - m->at < count ? m->size - m->at : count;
    if (n)
        memcpy(buffer, m->data + m->at, n);
    m->at += n;
    return n;
}

int MemoryRewind(void* context)
{
    ((MemorySource*)context)->at = 0;
    return 1;
}

}  // namespace

void SzddExpandMemory(const unsigned char* data, size_t size, std::vector<unsigned char>& out)
{
    MemorySource memory = {data, size, 0};
    SzddSource source = {&memory, MemoryRead, MemoryRewind};
    SzddReader* reader = new SzddReader;
    SzddOpen(reader, &source, size);
    out.clear();
    unsigned char chunk[10000];
    size_t got;
    while ((got = SzddRead(reader, chunk, sizeof(chunk))) > 0)
        out.insert(out.end(), chunk, chunk + got);
    SzddClose(reader);
    delete reader;
}
