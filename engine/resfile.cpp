// The payload archive reader: each open archive is one record in a fixed
// block with its directory in another; entries by index, or looked up by
// name with a linear scan from entry 0.
//
// The archive is untrusted input: every read is checked for length, the
// directory size is checked against the file before anything is allocated,
// and a name field without a zero byte ends at its 128th byte.
#include "engine/resfile.h"
#include "support/global_memory.h"
#include "support/stream.h"

#include <string.h>

struct ResFileReader {
    HGLOBAL memory;           // this record's own block
    HGLOBAL directoryMemory;
    Stream* stream;
    unsigned int count;
    unsigned char* directory;
    unsigned long long fileSize;         // what ResFileEntryData checks against
    char nameCopy[ResFileNameSize + 1];  // ResFileEntryName's answer
};

static const char Magic[] = "Vantorell Bit ResFile\x1A";
enum { MagicCompared = 7 };

static unsigned int ReadLE32(const unsigned char* p)
{
    return (unsigned int)p[0] | ((unsigned int)p[1] << 8) | ((unsigned int)p[2] << 16) |
           ((unsigned int)p[3] << 24);
}

// Bytes from the current position to the end of the stream; the position is
// kept. A file whose size cannot be told has none left.
static unsigned long BytesLeft(Stream* stream)
{
    unsigned long end;
    if (!StreamSize(stream, &end))
        return 0;
    unsigned long here = StreamTell(stream);
    return end >= here ? end - here : 0;
}

// Header, count and directory into reader; 0 when the file is no archive or
// its directory does not fit.
static int LoadDirectory(ResFileReader* reader, const char* path)
{
    reader->stream = StreamOpen(path, StreamReadBinary);
    if (!reader->stream)
        return 0;

    unsigned char header[ResFileHeaderSize];
    unsigned char countBytes[4];
    if (StreamRead(reader->stream, header, sizeof(header)) != sizeof(header) ||
        memcmp(header, Magic, MagicCompared) != 0 ||
        StreamRead(reader->stream, countBytes, sizeof(countBytes)) != sizeof(countBytes))
        return 0;
    reader->count = ReadLE32(countBytes);

    // A count whose directory would not fit in 32 bits or in the file is
    // refused before its memory is asked for.
    unsigned long long directorySize = (unsigned long long)reader->count * ResFileEntrySize;
    unsigned long afterCount = BytesLeft(reader->stream);
    if (directorySize > 0xFFFFFFFFull || directorySize > afterCount)
        return 0;
    reader->fileSize = ResFileHeaderSize + 4ull + afterCount;

    reader->directoryMemory = GlobalAlloc(GMEM_FIXED, (size_t)directorySize);
    if (reader->directoryMemory)
        reader->directory = (unsigned char*)GlobalLock(reader->directoryMemory);
    return reader->directory &&
           StreamRead(reader->stream, reader->directory, (size_t)directorySize) == directorySize;
}

ResFileReader* ResFileOpen(const char* path)
{
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, sizeof(ResFileReader));
    if (!memory)
        return NULL;
    ResFileReader* reader = (ResFileReader*)GlobalLock(memory);
    if (!reader) {
        GlobalFree(memory);
        return NULL;
    }
    memset(reader, 0, sizeof(*reader));
    reader->memory = memory;

    if (LoadDirectory(reader, path))
        return reader;
    ResFileClose(reader);
    return NULL;
}

void ResFileClose(ResFileReader* reader)
{
    if (!reader)
        return;
    StreamClose(reader->stream);
    if (reader->directoryMemory) {
        GlobalUnlock(reader->directoryMemory);
        GlobalFree(reader->directoryMemory);
    }
    HGLOBAL memory = reader->memory;
    GlobalUnlock(memory);
    GlobalFree(memory);
}

Stream* ResFileStream(ResFileReader* reader)
{
    return reader ? reader->stream : NULL;
}

unsigned int ResFileCount(ResFileReader* reader)
{
    return reader ? reader->count : 0;
}

const char* ResFileEntryName(ResFileReader* reader, unsigned int index)
{
    if (!reader || index >= reader->count)
        return "";
    memcpy(reader->nameCopy, reader->directory + (size_t)index * ResFileEntrySize, ResFileNameSize);
    reader->nameCopy[ResFileNameSize] = '\0';
    return reader->nameCopy;
}

int ResFileEntryData(ResFileReader* reader, unsigned int index, unsigned int* offset, unsigned int* size)
{
    if (!reader || index >= reader->count)
        return 0;
    const unsigned char* entry = reader->directory + (size_t)index * ResFileEntrySize;
    unsigned int at = ReadLE32(entry + ResFileNameSize);
    unsigned int bytes = ReadLE32(entry + ResFileNameSize + 4);
    unsigned long long dataStart = ResFileHeaderSize + 4ull + (unsigned long long)reader->count * ResFileEntrySize;
    if (at < dataStart || (unsigned long long)at + bytes > reader->fileSize)
        return 0;
    *offset = at;
    *size = bytes;
    return 1;
}

static unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

// The field ends at its zero byte or, lacking one, after its 128 bytes.
static int NameMatches(const unsigned char* field, const char* name)
{
    const unsigned char* wanted = (const unsigned char*)name;
    for (int i = 0; i < ResFileNameSize; ++i) {
        if (FoldAscii(field[i]) != FoldAscii(wanted[i]))
            return 0;
        if (field[i] == 0)
            return 1;
    }
    return wanted[ResFileNameSize] == 0;
}

// The first matching entry, or NULL.
static const unsigned char* FindEntry(ResFileReader* reader, const char* name)
{
    if (!reader || !name)
        return NULL;
    for (unsigned int i = 0; i < reader->count; ++i) {
        const unsigned char* entry = reader->directory + (size_t)i * ResFileEntrySize;
        if (NameMatches(entry, name))
            return entry;
    }
    return NULL;
}

unsigned int ResFileFindOffset(ResFileReader* reader, const char* name)
{
    const unsigned char* entry = FindEntry(reader, name);
    return entry ? ReadLE32(entry + ResFileNameSize) : 0;
}

unsigned int ResFileFindSize(ResFileReader* reader, const char* name)
{
    const unsigned char* entry = FindEntry(reader, name);
    return entry ? ReadLE32(entry + ResFileNameSize + 4) : 0;
}
