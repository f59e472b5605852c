#include "support/stream.h"

#include <string.h>

#include "support/global_memory.h"

// The operating system's side: open, read, write, position, size, close.
// Everything above it (buffering, text mode) is shared by both builds, so
// the host tests exercise the same code that setup.exe runs.
#ifdef _WIN32
#include <windows.h>

typedef HANDLE RawFile;

static RawFile RawOpen(const char* path, int writing, int fresh)
{
    // Shared for reading only: nobody else writes to the log, or to a
    // payload file, while the setup has it open.
    HANDLE file = CreateFileA(path, writing ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, NULL,
                              fresh ? CREATE_NEW : writing ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    return file == INVALID_HANDLE_VALUE ? NULL : file;
}

static size_t RawRead(RawFile file, void* buffer, size_t size)
{
    DWORD got = 0;
    if (!ReadFile(file, buffer, (DWORD)size, &got, NULL))
        return 0;
    return got;
}

static int RawWrite(RawFile file, const void* data, size_t size)
{
    DWORD written = 0;
    return WriteFile(file, data, (DWORD)size, &written, NULL) && written == size;
}

static int RawSeek(RawFile file, unsigned long offset)
{
    // The high half makes offsets of 2 GiB and more plain unsigned ones.
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(file, (LONG)offset, &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

static int RawSize(RawFile file, unsigned long* size)
{
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(file, &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0)
        return 0;
    *size = low;
    return 1;
}

static int RawClose(RawFile file)
{
    return CloseHandle(file) != 0;
}
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

typedef int RawFile;

// Descriptor + 1, so that 0 means "none" as the Windows handle does.
static RawFile RawOpen(const char* path, int writing, int fresh)
{
    int fd = writing ? open(path, O_WRONLY | O_CREAT | (fresh ? O_EXCL : O_TRUNC), 0644) : open(path, O_RDONLY);
    return fd < 0 ? 0 : fd + 1;
}

static size_t RawRead(RawFile file, void* buffer, size_t size)
{
    ssize_t got = read(file - 1, buffer, size);
    return got < 0 ? 0 : (size_t)got;
}

static int RawWrite(RawFile file, const void* data, size_t size)
{
    return write(file - 1, data, size) == (ssize_t)size;
}

static int RawSeek(RawFile file, unsigned long offset)
{
    return lseek(file - 1, (off_t)offset, SEEK_SET) == (off_t)offset;
}

static int RawSize(RawFile file, unsigned long* size)
{
    struct stat info;
    if (fstat(file - 1, &info) != 0 || info.st_size > 0xFFFFFFFFll)
        return 0;
    *size = (unsigned long)info.st_size;
    return 1;
}

static int RawClose(RawFile file)
{
    return close(file - 1) == 0;
}
#endif

enum { StreamBufferSize = 4096 };

struct Stream {
    HGLOBAL memory;
    RawFile file;
    int writing;
    int text;
    int failed;               // a write or flush lost bytes
    unsigned long bufferStart; // file offset of buffer[0]
    size_t used;              // writing: bytes waiting; reading: bytes held
    size_t next;              // reading: the next byte to hand out
    unsigned char buffer[StreamBufferSize];
};

Stream* StreamOpen(const char* path, StreamMode mode)
{
    int fresh = mode == StreamWriteNew || mode == StreamWriteTextNew;
    int writing = mode == StreamWriteBinary || mode == StreamWriteText || fresh;
    HGLOBAL memory = GlobalAlloc(GMEM_FIXED, sizeof(Stream));
    Stream* stream = memory ? (Stream*)GlobalLock(memory) : NULL;
    if (!stream) {
        if (memory)
            GlobalFree(memory);
        return NULL;
    }
    RawFile file = RawOpen(path, writing, fresh);
    if (!file) {
        GlobalUnlock(memory);
        GlobalFree(memory);
        return NULL;
    }
    stream->memory = memory;
    stream->file = file;
    stream->writing = writing;
    stream->text = mode == StreamReadText || mode == StreamWriteText || mode == StreamWriteTextNew;
    stream->failed = 0;
    stream->bufferStart = 0;
    stream->used = 0;
    stream->next = 0;
    return stream;
}

int StreamFlush(Stream* stream)
{
    if (!stream || !stream->writing)
        return stream != NULL;
    if (stream->used > 0) {
        if (!RawWrite(stream->file, stream->buffer, stream->used))
            stream->failed = 1;
        stream->bufferStart += (unsigned long)stream->used;
        stream->used = 0;
    }
    return !stream->failed;
}

int StreamClose(Stream* stream)
{
    if (!stream)
        return 1;
    int ok = StreamFlush(stream);
    if (!RawClose(stream->file))
        ok = 0;
    HGLOBAL memory = stream->memory;
    GlobalUnlock(memory);
    GlobalFree(memory);
    return ok;
}

// Everything goes through the buffer: a 10,000-byte chunk costs three
// system calls instead of one, and the code stays small.
static int PutBytes(Stream* stream, const unsigned char* data, size_t size)
{
    while (size > 0) {
        if (stream->used == StreamBufferSize && !StreamFlush(stream))
            return 0;
        size_t take = StreamBufferSize - stream->used;
        if (take > size)
            take = size;
        memcpy(stream->buffer + stream->used, data, take);
        stream->used += take;
        data += take;
        size -= take;
    }
    return 1;
}

int StreamWrite(Stream* stream, const void* data, size_t size)
{
    if (!stream || !stream->writing || stream->failed)
        return 0;
    const unsigned char* bytes = (const unsigned char*)data;
    if (!stream->text)
        return PutBytes(stream, bytes, size);
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != '\n')
            continue;
        if (!PutBytes(stream, bytes + start, i - start) || !PutBytes(stream, (const unsigned char*)"\r\n", 2))
            return 0;
        start = i + 1;
    }
    return PutBytes(stream, bytes + start, size - start);
}

int StreamWriteString(Stream* stream, const char* text)
{
    return StreamWrite(stream, text, strlen(text));
}

int StreamWriteNumber(Stream* stream, int value)
{
    char digits[12];
    size_t at = sizeof digits;
    unsigned int magnitude = value < 0 ? 0u - (unsigned int)value : (unsigned int)value;
    do {
        digits[--at] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--at] = '-';
    return StreamWrite(stream, digits + at, sizeof digits - at);
}

// Reading: refills the buffer once it is used up; 0 at the end of the file.
static int Refill(Stream* stream)
{
    stream->bufferStart += (unsigned long)stream->used;
    stream->used = RawRead(stream->file, stream->buffer, StreamBufferSize);
    stream->next = 0;
    return stream->used > 0;
}

// The next byte, or -1 at the end of the file.
static int NextByte(Stream* stream)
{
    if (stream->next == stream->used && !Refill(stream))
        return -1;
    return stream->buffer[stream->next++];
}

size_t StreamRead(Stream* stream, void* buffer, size_t size)
{
    if (!stream || stream->writing)
        return 0;
    unsigned char* out = (unsigned char*)buffer;
    size_t done = 0;
    while (done < size) {
        if (stream->next < stream->used) {
            size_t take = stream->used - stream->next;
            if (take > size - done)
                take = size - done;
            memcpy(out + done, stream->buffer + stream->next, take);
            stream->next += take;
            done += take;
        } else if (!Refill(stream)) {
            break;
        }
    }
    return done;
}

int StreamReadLine(Stream* stream, char* line, size_t capacity)
{
    if (!stream || stream->writing || capacity == 0)
        return 0;
    size_t length = 0;
    while (length + 1 < capacity) {
        int c = NextByte(stream);
        if (c < 0)
            break;
        if (c == '\r' && stream->text) {
            // CR LF is one line end; a CR before anything else stays.
            int after = NextByte(stream);
            if (after == '\n')
                c = '\n';
            else if (after >= 0)
                --stream->next;
        }
        line[length++] = (char)c;
        if (c == '\n')
            break;
    }
    if (length == 0)
        return 0;
    line[length] = '\0';
    return 1;
}

int StreamSeek(Stream* stream, unsigned long offset)
{
    if (!stream)
        return 0;
    if (stream->writing) {
        if (!StreamFlush(stream) || !RawSeek(stream->file, offset))
            return 0;
        stream->bufferStart = offset;
        return 1;
    }
    // Within what the buffer holds no read is needed.
    if (offset >= stream->bufferStart && offset - stream->bufferStart <= stream->used) {
        stream->next = offset - stream->bufferStart;
        return 1;
    }
    if (!RawSeek(stream->file, offset))
        return 0;
    stream->bufferStart = offset;
    stream->used = stream->next = 0;
    return 1;
}

unsigned long StreamTell(Stream* stream)
{
    if (!stream)
        return (unsigned long)-1;
    return stream->bufferStart + (unsigned long)(stream->writing ? stream->used : stream->next);
}

int StreamSize(Stream* stream, unsigned long* size)
{
    unsigned long onDisk;
    if (!stream || !RawSize(stream->file, &onDisk))
        return 0;
    unsigned long end = stream->writing ? stream->bufferStart + (unsigned long)stream->used : 0;
    *size = onDisk > end ? onDisk : end;
    return 1;
}
