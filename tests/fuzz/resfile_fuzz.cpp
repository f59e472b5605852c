// The setup's archive reader on arbitrary files: the open, every look-up and
// the reads of each entry's data as the extraction makes them (in directory
// order, each at its own offset) must stay within their buffers and the
// file, and what the reader answers must be consistent.
#include "engine/resfile.h"
#include "support/stream.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

char gPath[64];

void RemoveFile()
{
    unlink(gPath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!gPath[0]) {
        snprintf(gPath, sizeof(gPath), "/tmp/kovra_fuzz_resfile_%d.uni", (int)getpid());
        atexit(RemoveFile);
    }
    FILE* f = fopen(gPath, "wb");
    if (!f)
        abort();
    if (size && fwrite(data, 1, size, f) != size)
        abort();
    fclose(f);

    ResFileReader* r = ResFileOpen(gPath);
    if (!r)
        return 0;
    unsigned count = ResFileCount(r);
    if (size < 27 || (uint64_t)count * 136 > size - 27)
        abort();  // the open promised the directory lies in the file
    Stream* stream = ResFileStream(r);
    static unsigned char buffer[10000];
    for (unsigned i = 0; i < count && i < 48; ++i) {
        char name[129];
        const char* entry = ResFileEntryName(r, i);
        size_t len = strlen(entry);
        if (len > 128)
            abort();
        memcpy(name, entry, len + 1);
        unsigned offset = ResFileFindOffset(r, name);
        unsigned bytes = ResFileFindSize(r, name);
        // A name always finds an entry, itself or an earlier one of the same name.
        if (offset == 0 && bytes == 0 && ResFileFindOffset(r, name) != 0)
            abort();
        if (StreamSeek(stream, offset)) {
            size_t want = bytes < sizeof(buffer) ? bytes : sizeof(buffer);
            if (StreamRead(stream, buffer, want) > want)
                abort();
        }
    }
    if (ResFileEntryName(r, count)[0] != 0)
        abort();

    // The entries in directory order, as the extraction takes them: what the
    // reader lets through lies after the directory and inside the file, and
    // reads there in chunks of the copy buffer never come up short.
    uint64_t dataStart = 27 + (uint64_t)count * 136;
    for (unsigned i = 0; i < count && i < 64; ++i) {
        unsigned offset = 1, bytes = 2;
        if (!ResFileEntryData(r, i, &offset, &bytes)) {
            if (offset != 1 || bytes != 2)
                abort();  // a refusal leaves the answers alone
            continue;
        }
        if (offset < dataStart || (uint64_t)offset + bytes > size)
            abort();
        if (StreamTell(stream) != offset && !StreamSeek(stream, offset))
            abort();
        for (unsigned left = bytes; left > 0;) {
            size_t chunk = left < sizeof(buffer) ? left : sizeof(buffer);
            if (StreamRead(stream, buffer, chunk) != chunk)
                abort();
            left -= (unsigned)chunk;
        }
    }
    unsigned offset, bytes;
    if (ResFileEntryData(r, count, &offset, &bytes))
        abort();
    ResFileFindOffset(r, "uninst.exe");
    ResFileFindSize(r, "KOVRA.EXE");
    ResFileClose(r);
    return 0;
}
