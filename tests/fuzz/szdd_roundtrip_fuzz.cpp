// The compressor on arbitrary data: the plain ring decoder and our reader
// both give the data back, and no stream is longer than all literals.
#include "tests/fuzz/ring_decode.h"
#include "tools/szdd.h"
#include "tools/szdd_reader.h"

#include <stdint.h>
#include <stdlib.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<unsigned char> packed, back;
    if (!SzddCompress(data, size, packed))
        abort();
    if (packed.size() > 14 + size + (size + 7) / 8)
        abort();
    if (RingDecode(packed.data(), packed.size()) != std::vector<unsigned char>(data, data + size))
        abort();
    SzddExpandMemory(packed.data(), packed.size(), back);
    if (back != std::vector<unsigned char>(data, data + size))
        abort();
    return 0;
}
