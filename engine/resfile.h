// The payload archive: a 23-byte magic, a count, a directory of 136-byte
// entries (128-byte name, offset, size; little-endian) and the data back to back.
#ifndef KOVRA_RESFILE_H
#define KOVRA_RESFILE_H

struct Stream;

enum {
    ResFileHeaderSize = 23,
    ResFileEntrySize = 136,
    ResFileNameSize = 128
};

struct ResFileReader;

// Opens the archive at path and loads its directory. Returns NULL on any
// failure, also when the file ends inside its header, count or directory, or
// when the count's directory (count x 136 bytes) does not fit in 32 bits or
// in the file; nothing of a failed open stays allocated or open. On success
// the stream stands at the first data byte.
ResFileReader* ResFileOpen(const char* path);
// Closes the archive and frees its reader; does nothing for NULL. The reader
// is gone afterwards: the caller forgets its pointer.
void ResFileClose(ResFileReader* reader);
Stream* ResFileStream(ResFileReader* reader);
unsigned int ResFileCount(ResFileReader* reader);
// Name of directory entry index (0 <= index < count), always zero-terminated:
// a copy held by the reader, valid until the next call; a field without a
// zero byte gives its 128 bytes. An index out of range gives "".
const char* ResFileEntryName(ResFileReader* reader, unsigned int index);
// Offset and size of directory entry index, as the directory gives them:
// 1 when its data lie between the end of the directory and the end of the
// file, 0 (offset and size untouched) when a read of them would leave that
// span or the index is out of range.
int ResFileEntryData(ResFileReader* reader, unsigned int index, unsigned int* offset, unsigned int* size);
// Offset and size of the first entry whose name matches without regard to
// ASCII case (A-Z only; other bytes must be equal); 0 when none does. Each
// look-up scans from entry 0.
unsigned int ResFileFindOffset(ResFileReader* reader, const char* name);
unsigned int ResFileFindSize(ResFileReader* reader, const char* name);

#endif
