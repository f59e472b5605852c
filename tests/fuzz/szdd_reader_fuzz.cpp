// Our SZDD reader on arbitrary files: it must never read or write out of
// bounds and must give what the one-byte-at-a-time ring gives, however the
// source dribbles its bytes, whatever the read sizes and seeks.
#include "tests/fuzz/ring_decode.h"
#include "tools/szdd_reader.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct Source {
    const unsigned char* data;
    size_t size;
    size_t at;
    size_t most;
};

size_t Read(void* context, unsigned char* buffer, size_t count)
{
    Source* s = (Source*)context;
    size_t n = s->size - s->at;
    if (n > count)
        n = count;
    if (n > s->most)
        n = s->most;
    memcpy(buffer, s->data + s->at, n);
    s->at += n;
    return n;
}

int Rewind(void* context)
{
    ((Source*)context)->at = 0;
    return 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    // Three bytes of set-up: how much the source gives a call, the read
    // size, and where to seek before a second pass.
    size_t most = 1 + data[0] % 64;
    size_t chunk = 1 + (size_t)data[1] * 79;
    unsigned seekTo = data[2];
    data += 3;
    size -= 3;

    std::vector<unsigned char> expect = RingDecode(data, size);
    static SzddReader reader;
    Source src = {data, size, 0, most};
    SzddSource hooks = {&src, Read, Rewind};
    SzddOpen(&reader, &hooks, size);
    int64_t length = SzddSeek(&reader, 0, 2);
    if (SzddIsCompressed(&reader) != (size >= 14 && memcmp(data, "SZDD\x88\xF0\x27\x33", 8) == 0 && data[8] == 'A'))
        abort();
    if (!SzddIsCompressed(&reader) && length != (int64_t)size)
        abort();
    if (SzddSeek(&reader, 0, 0) != 0)
        abort();

    std::vector<unsigned char> got, buf(chunk);
    size_t n;
    while ((n = SzddRead(&reader, buf.data(), chunk)) > 0) {
        if (n > chunk)
            abort();
        got.insert(got.end(), buf.begin(), buf.begin() + n);
    }
    if (got != expect)
        abort();

    // Back to a position within the length: the reader restarts and gives
    // the rest again.
    if (length > 0) {
        int64_t target = (int64_t)seekTo % (length + 1);
        if (SzddSeek(&reader, target, 0) != target)
            abort();
        got.clear();
        while ((n = SzddRead(&reader, buf.data(), chunk)) > 0)
            got.insert(got.end(), buf.begin(), buf.begin() + n);
        std::vector<unsigned char> rest;
        if ((size_t)target < expect.size())
            rest.assign(expect.begin() + target, expect.end());
        if (got != rest)
            abort();
    }
    if (SzddSeek(&reader, -1, 0) != SzddErrorBadValue)
        abort();
    SzddClose(&reader);
    return 0;
}
