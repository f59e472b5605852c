// The payload archive: a 23-byte magic, a count, a directory of 136-byte
// entries (128-byte name, offset, size; little-endian) and the data back to back.
#ifndef KOVRA_RESFILE_H
#define KOVRA_RESFILE_H

#include <stdio.h>

enum {
    ResFileHeaderSize = 23,
    ResFileEntrySize = 136,
    ResFileNameSize = 128
};

struct ResFileReader;

// Opens the archive at path and loads its directory; only one archive can be
// open at a time. Returns 0 on any failure.
ResFileReader* ResFileOpen(const char* path);
// Closes the archive that the last successful ResFileOpen returned.
void ResFileClose();
FILE* ResFileStream(ResFileReader* reader);
unsigned int ResFileCount(ResFileReader* reader);
// Name of directory entry index (0 <= index < count), always zero-terminated.
const char* ResFileEntryName(ResFileReader* reader, unsigned int index);
// Offset and size of the first entry whose name matches without regard to
// ASCII case; 0 when none does.
unsigned int ResFileFindOffset(ResFileReader* reader, const char* name);
unsigned int ResFileFindSize(ResFileReader* reader, const char* name);

#endif
