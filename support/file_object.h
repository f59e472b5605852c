// A small owner of one operating-system file handle with typed transfers:
// 1-, 2- and 4-byte values (least significant byte first), raw blocks, text
// lines ended by CR LF and fields ended by ';', positioning and the size.
//
// Every operation reports through its result only. Reads act only on an
// object opened with FileModeRead, writes only on one opened with
// FileModeCreate or FileModeAppend; in the wrong direction, or on a closed
// object, nothing reaches the system and the result is 0. A short or failed
// system transfer is not an error: the operation returns what was moved.
#ifndef KOVRA_FILE_OBJECT_H
#define KOVRA_FILE_OBJECT_H

#include <windows.h>
#include <stddef.h>

enum FileMode {
    FileModeRead = 1,    // existing file only
    FileModeCreate = 2,  // created, or truncated to 0 bytes
    FileModeAppend = 3   // opened or created, position at the end
};

class FileObject {
public:
    FileObject();
    // Opens at once; the caller asks IsOpen whether it worked.
    FileObject(const char* path, int mode);
    ~FileObject();

    // On the heap, a failed allocation gives NULL instead of an exception,
    // which this program never uses.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;

    // 1 when a handle was obtained. 0 for a mode other than 1, 2 or 3, a
    // file the system refuses, or an object that is already open (that file
    // then stays open and usable). Others may read the file while it is
    // open, but not write or delete it.
    int Open(const char* path, int mode);
    // 1 when a handle was closed, 0 when none was open.
    int Close();
    int IsOpen() const;
    HANDLE GetHandle() const;
    // Low 32 bits of the size; 0xFFFFFFFF when closed.
    DWORD GetSize();

    // Bytes that a short read at the end did not deliver read as 0.
    BYTE ReadByte();
    WORD ReadWord();
    DWORD ReadDword();
    DWORD ReadBlock(void* buffer, DWORD count);
    // Reads up to LF, dropping every CR; a byte that finds the buffer full
    // ends the line and is lost. Returns the characters stored plus one for
    // the terminating zero, 0 (buffer untouched) when not open for reading
    // or when capacity is 0.
    DWORD ReadLine(char* buffer, DWORD capacity);
    // As ReadLine; ';' ends a field as LF does.
    DWORD ReadField(char* buffer, DWORD capacity);

    // Each returns the number of bytes the system reported written.
    DWORD WriteByte(DWORD value);   // low 8 bits
    DWORD WriteWord(DWORD value);   // low 16 bits
    DWORD WriteDword(DWORD value);
    DWORD WriteBlock(const void* buffer, DWORD count);
    DWORD WriteLine(const char* text);   // text, CR, LF
    DWORD WriteField(const char* text);  // text, ';'

    // Distance first, origin second (FILE_BEGIN, FILE_CURRENT, FILE_END).
    // The new position's low 32 bits; 0xFFFFFFFF when closed or refused.
    DWORD Seek(LONG distance, DWORD origin);

private:
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int IsOpenForReading() const { return handle != INVALID_HANDLE_VALUE && readMode != 0; }
    int IsOpenForWriting() const { return handle != INVALID_HANDLE_VALUE && readMode == 0; }
    DWORD ReadText(char* buffer, DWORD capacity, int fieldEnds);
    DWORD WriteTextThen(const char* text, const char* ending, DWORD endingSize);
    DWORD Write(const void* bytes, DWORD count);

    int readMode;
    int mode;
    DWORD lastRead;
    DWORD lastWritten;
    HANDLE handle;
};

#endif
