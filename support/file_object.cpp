#include "support/file_object.h"

FileObject::FileObject() : readMode(0), mode(0), lastRead(0), lastWritten(0), handle(INVALID_HANDLE_VALUE)
{
}

FileObject::FileObject(const char* path, int openMode)
    : readMode(0), mode(0), lastRead(0), lastWritten(0), handle(INVALID_HANDLE_VALUE)
{
    Open(path, openMode);
}

FileObject::~FileObject()
{
    Close();
}

void* FileObject::operator new(size_t size) noexcept
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void FileObject::operator delete(void* block) noexcept
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

static HANDLE CreateWithAccess(const char* path, DWORD access, DWORD creation)
{
    return CreateFileA(path, access, FILE_SHARE_READ, NULL, creation,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
}

int FileObject::Open(const char* path, int openMode)
{
    if (handle != INVALID_HANDLE_VALUE)
        return 0;
    mode = openMode;
    readMode = 0;
    switch (openMode) {
    case FileModeRead:
        handle = CreateWithAccess(path, GENERIC_READ, OPEN_EXISTING);
        readMode = 1;
        break;
    case FileModeCreate:
        handle = CreateWithAccess(path, GENERIC_WRITE, CREATE_ALWAYS);
        break;
    case FileModeAppend:
        handle = CreateWithAccess(path, GENERIC_WRITE, OPEN_ALWAYS);
        if (handle != INVALID_HANDLE_VALUE) {
            // With the high part given the move works on files of any size;
            // an append that could not reach the end would overwrite the
            // start of the file, so it is refused instead.
            LONG high = 0;
            SetLastError(NO_ERROR);
            if (SetFilePointer(handle, 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
                GetLastError() != NO_ERROR) {
                CloseHandle(handle);
                handle = INVALID_HANDLE_VALUE;
            }
        }
        break;
    }
    return handle != INVALID_HANDLE_VALUE;
}

int FileObject::Close()
{
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    return 1;
}

int FileObject::IsOpen() const
{
    return handle != INVALID_HANDLE_VALUE;
}

HANDLE FileObject::GetHandle() const
{
    return handle;
}

DWORD FileObject::GetSize()
{
    if (handle == INVALID_HANDLE_VALUE)
        return 0xFFFFFFFF;
    return GetFileSize(handle, NULL);
}

BYTE FileObject::ReadByte()
{
    BYTE value = 0;
    if (IsOpenForReading())
        ReadFile(handle, &value, 1, &lastRead, NULL);
    return value;
}

// The value starts at 0, so bytes a short read did not deliver stay 0; the
// first byte of the file lands in the low position.
WORD FileObject::ReadWord()
{
    BYTE bytes[2] = { 0, 0 };
    if (IsOpenForReading())
        ReadFile(handle, bytes, 2, &lastRead, NULL);
    return (WORD)(bytes[0] | bytes[1] << 8);
}

DWORD FileObject::ReadDword()
{
    BYTE bytes[4] = { 0, 0, 0, 0 };
    if (IsOpenForReading())
        ReadFile(handle, bytes, 4, &lastRead, NULL);
    return (DWORD)bytes[0] | (DWORD)bytes[1] << 8 | (DWORD)bytes[2] << 16 | (DWORD)bytes[3] << 24;
}

DWORD FileObject::ReadBlock(void* buffer, DWORD count)
{
    lastRead = 0;
    if (IsOpenForReading())
        ReadFile(handle, buffer, count, &lastRead, NULL);
    return lastRead;
}

DWORD FileObject::ReadText(char* buffer, DWORD capacity, int fieldEnds)
{
    // A zero capacity leaves no room even for the terminating zero.
    if (!IsOpenForReading() || capacity == 0)
        return 0;
    DWORD i = 0;
    for (;;) {
        char c = 0;
        if (!ReadFile(handle, &c, 1, &lastRead, NULL) || lastRead == 0)
            break;
        if (i + 1 >= capacity)
            break;
        if (c == '\n' || (fieldEnds && c == ';'))
            break;
        if (c != '\r')
            buffer[i++] = c;
    }
    buffer[i] = '\0';
    return i + 1;
}

DWORD FileObject::ReadLine(char* buffer, DWORD capacity)
{
    return ReadText(buffer, capacity, 0);
}

DWORD FileObject::ReadField(char* buffer, DWORD capacity)
{
    return ReadText(buffer, capacity, 1);
}

DWORD FileObject::Write(const void* bytes, DWORD count)
{
    lastWritten = 0;
    if (IsOpenForWriting())
        WriteFile(handle, bytes, count, &lastWritten, NULL);
    return lastWritten;
}

DWORD FileObject::WriteByte(DWORD value)
{
    BYTE bytes[1] = { (BYTE)value };
    return Write(bytes, 1);
}

DWORD FileObject::WriteWord(DWORD value)
{
    BYTE bytes[2] = { (BYTE)value, (BYTE)(value >> 8) };
    return Write(bytes, 2);
}

DWORD FileObject::WriteDword(DWORD value)
{
    BYTE bytes[4] = { (BYTE)value, (BYTE)(value >> 8), (BYTE)(value >> 16), (BYTE)(value >> 24) };
    return Write(bytes, 4);
}

DWORD FileObject::WriteBlock(const void* buffer, DWORD count)
{
    return Write(buffer, count);
}

// Every part is written even after one failed; the total adds what the
// system reported for each.
DWORD FileObject::WriteTextThen(const char* text, const char* ending, DWORD endingSize)
{
    lastWritten = 0;
    if (!IsOpenForWriting())
        return 0;
    DWORD total = 0;
    DWORD count = lstrlenA(text);
    if (count != 0)
        total = Write(text, count);
    for (DWORD i = 0; i < endingSize; ++i)
        total += Write(ending + i, 1);
    return total;
}

DWORD FileObject::WriteLine(const char* text)
{
    return WriteTextThen(text, "\r\n", 2);
}

DWORD FileObject::WriteField(const char* text)
{
    return WriteTextThen(text, ";", 1);
}

DWORD FileObject::Seek(LONG distance, DWORD origin)
{
    if (handle == INVALID_HANDLE_VALUE)
        return 0xFFFFFFFF;
    return SetFilePointer(handle, distance, NULL, origin);
}
