// Writes payload archives in the reader's format (engine/resfile.h): a
// 23-byte magic, the entry count, 136-byte directory entries and the data of
// the entries back to back in directory order.
#ifndef KOVRA_TOOLS_ARCHIVE_WRITER_H
#define KOVRA_TOOLS_ARCHIVE_WRITER_H

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

enum { ArchiveNameMax = 127 };
const uint64_t kArchiveMaxSize = 0xFFFFFFFFull;

// One file of an archive: its stored name (CP1252, backslashes between
// folders) and its bytes, either held here or read from hostPath.
struct ArchiveEntry {
    std::string name;
    std::string hostPath;
    std::vector<unsigned char> data;
    uint64_t size;
};

// An entry whose bytes are held in memory rather than read from a host file.
ArchiveEntry ArchiveHeldEntry(const std::string& name, const std::string& data);

// Called while data are written, with the bytes done and the total.
typedef void (*ArchiveProgress)(void* context, uint64_t done, uint64_t total);

// Collects the regular files below folder (host names in UTF-8) as entries
// with their names converted. Fails with a message for a missing or
// unreadable folder, a name that CP1252 cannot hold, or a link to a folder.
int ArchiveCollectFolder(const std::string& folder, std::vector<ArchiveEntry>& entries,
                         std::string& error);

// Archive order: the uninstaller first when present, then the files of each
// folder before its sub-folders, each group by name without regard to case.
void ArchiveSortEntries(std::vector<ArchiveEntry>& entries);

// Refuses names that are empty, longer than 127 characters, not usable as
// Windows file names, more than one folder deep, equal to another without
// regard to case, or those of the setup's own files in the target folder
// (engine/entry_name.h), and an archive that would exceed 4 GiB - 1 bytes.
int ArchiveCheckEntries(const std::vector<ArchiveEntry>& entries, std::string& error);

// Size of the archive that the entries make.
uint64_t ArchiveSize(const std::vector<ArchiveEntry>& entries);
// Offset of entry index's data in that archive.
uint64_t ArchiveDataOffset(const std::vector<ArchiveEntry>& entries, size_t index);

// Writes the archive (entries checked, in the order given) to a stream or to
// memory. A host file that cannot be read, or whose size has changed since it
// was collected, fails with a message.
int ArchiveWrite(const std::vector<ArchiveEntry>& entries, FILE* out, std::string& error,
                 ArchiveProgress progress = 0, void* progressContext = 0);
int ArchiveWriteMemory(const std::vector<ArchiveEntry>& entries, std::vector<unsigned char>& out,
                       std::string& error);

// Name conversion and comparison, exposed for the tests.
// UTF-8 to CP1252; 0 when the text is not UTF-8 or holds a character that
// CP1252 lacks.
int ArchiveNameFromUtf8(const std::string& utf8, std::string& cp1252);
// CP1252 back to UTF-8 for messages.
std::string ArchiveNameToUtf8(const std::string& cp1252);
// The name with CP1252 letters folded to lower case, as Windows compares.
std::string ArchiveFoldName(const std::string& cp1252);

#endif
