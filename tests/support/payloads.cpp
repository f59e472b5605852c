#include "payloads.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "engine/resfile.h"
#include "tools/archive_writer.h"
#include "tools/szdd.h"

namespace fx {

static Bytes Written(const std::vector<Entry>& entries, int anyNames)
{
    std::vector<ArchiveEntry> held;
    for (size_t i = 0; i < entries.size(); ++i)
        held.push_back(ArchiveHeldEntry(anyNames ? "e" + std::to_string(i) : entries[i].name,
                                        entries[i].data));
    std::vector<unsigned char> out;
    std::string error;
    if (!ArchiveWriteMemory(held, out, error)) {
        fprintf(stderr, "archive refused: %s\n", error.c_str());
        return Bytes();
    }
    Bytes archive(out.begin(), out.end());
    if (anyNames) {
        // Names sit in fixed fields of the directory, so one name's length
        // moves nothing else.
        for (size_t i = 0; i < entries.size(); ++i) {
            char* field = &archive[ResFileHeaderSize + 4 + ResFileEntrySize * i];
            memset(field, 0, ResFileNameSize);
            memcpy(field, entries[i].name.data(), std::min<size_t>(entries[i].name.size(), ResFileNameSize));
        }
    }
    return archive;
}

Bytes Archive(const std::vector<Entry>& entries)
{
    return Written(entries, 0);
}

Bytes ArchiveAnyNames(const std::vector<Entry>& entries)
{
    return Written(entries, 1);
}

Bytes Szdd(const Bytes& plain)
{
    std::vector<unsigned char> out;
    SzddCompress((const unsigned char*)plain.data(), plain.size(), out);
    return Bytes(out.begin(), out.end());
}

Bytes SzddLiterals(const Bytes& plain)
{
    unsigned char header[SzddHeaderSize];
    SzddWriteHeader(header, (uint32_t)plain.size());
    Bytes out((const char*)header, SzddHeaderSize);
    for (size_t i = 0; i < plain.size(); i += 8) {
        out.push_back((char)0xFF);
        out.append(plain, i, 8);
    }
    return out;
}

Bytes Filler(size_t size, unsigned int seed)
{
    Bytes out(size, '\0');
    unsigned int x = seed * 2654435761u + 12345;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345;
        out[i] = (char)(x >> 16);
    }
    return out;
}

}  // namespace fx
