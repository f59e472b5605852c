// A small buffered file stream in place of the C runtime's: setup.exe imports
// no C runtime DLL (the first releases of Windows 95 have none).
//
// Text streams keep the runtime's text mode: a "\n" written lands on disk as
// CR LF, and CR LF reads back as one "\n" (a CR before anything else stays a
// CR). Binary streams move bytes as they are. On Windows the file is opened
// through kernel32 and shared for reading only, so no other process can write
// to it while it is open; the host build (tests, fuzzers) opens it through
// POSIX calls behind the same interface.
#ifndef KOVRA_STREAM_H
#define KOVRA_STREAM_H

#include <stddef.h>

enum StreamMode {
    StreamReadBinary,   // "rb": an existing file
    StreamWriteBinary,  // "wb": created, or emptied when it exists
    StreamReadText,     // "rt"
    StreamWriteText,    // "wt"
    StreamWriteNew,     // "wbx": created; fails when the name exists, a link too
    StreamWriteTextNew  // "wtx"
};

struct Stream;

// NULL when the file cannot be opened (or created) or no memory is left.
Stream* StreamOpen(const char* path, StreamMode mode);
// Writes what is buffered and closes the file; 1 when every byte written
// since the open reached the file. Nothing happens for NULL (result 1).
int StreamClose(Stream* stream);

// Takes size bytes (text mode: "\n" becomes CR LF); 1 when all were taken.
// After a failed write every further write and the close report failure.
int StreamWrite(Stream* stream, const void* data, size_t size);
// The zero-terminated text, as StreamWrite.
int StreamWriteString(Stream* stream, const char* text);
// A signed decimal number, as "%d" writes it.
int StreamWriteNumber(Stream* stream, int value);
// Puts what is buffered into the file; 1 when all of it got there.
int StreamFlush(Stream* stream);

// Reads up to size bytes as they are; returns how many were read (fewer only
// at the end of the file or on a read error).
size_t StreamRead(Stream* stream, void* buffer, size_t size);
// Reads the next line the way fgets does: at most capacity - 1 characters,
// up to and including its "\n", zero-terminated. Returns 1 when a character
// was read, 0 at the end of the file (line is then left alone).
int StreamReadLine(Stream* stream, char* line, size_t capacity);

// Positions are byte offsets from the start of the file, below 4 GiB.
int StreamSeek(Stream* stream, unsigned long offset);
// The position of the next byte read or written; (unsigned long)-1 on error.
unsigned long StreamTell(Stream* stream);
// The file's size in bytes (what is buffered for writing included); 0 when
// it cannot be told or is 4 GiB or more.
int StreamSize(Stream* stream, unsigned long* size);

#endif
