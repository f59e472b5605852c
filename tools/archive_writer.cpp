// The archive writer. Names are checked here as Windows will later see them:
// the setup extracts every entry into one folder on a file system that
// ignores case, so two names that differ only in case, or a name that is
// both a file and a folder, would silently overwrite each other there.
#include "tools/archive_writer.h"

#include "engine/entry_name.h"
#include "support/product_names.h"

#include <dirent.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

// The Windows tests build this writer too; folders collected there hold no
// symbolic links to look through.
#ifdef _WIN32
#define lstat stat
#define S_ISLNK(mode) 0
#endif

namespace {

const char kMagic[23] = {'V', 'a', 'n', 't', 'o', 'r', 'e', 'l', 'l', ' ', 'B', 'i',
                         't', ' ', 'R', 'e', 's', 'F', 'i', 'l', 'e', 0x1A, 0x00};
enum { HeaderSize = 27, EntrySize = 136, NameField = 128 };

// Unicode code points of CP1252's bytes 0x80..0x9F; 0 where the code page has
// no character.
const uint16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int CodePointToCp1252(uint32_t cp, unsigned char* out)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        *out = (unsigned char)cp;
        return 1;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] && kHighControls[i] == cp) {
            *out = (unsigned char)(0x80 + i);
            return 1;
        }
    }
    return 0;
}

unsigned char FoldByte(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return (unsigned char)(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return (unsigned char)(c + 32);
    switch (c) {
    case 0x8A: return 0x9A;  // S with caron
    case 0x8C: return 0x9C;  // OE
    case 0x8E: return 0x9E;  // Z with caron
    case 0x9F: return 0xFF;  // Y with diaeresis
    default: return c;
    }
}

void PutLE32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (unsigned char)(v >> (8 * i));
}

std::vector<std::string> SplitName(const std::string& name)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t slash = name.find('\\', start);
        parts.push_back(name.substr(start, slash == std::string::npos ? std::string::npos
                                                                       : slash - start));
        if (slash == std::string::npos)
            return parts;
        start = slash + 1;
    }
}

// Why a name part cannot be a Windows file name, or 0.
const char* PartProblem(const std::string& part)
{
    if (part.empty())
        return "has an empty folder or file name";
    if (part == "." || part == "..")
        return "names a folder by '.' or '..'";
    for (unsigned char c : part) {
        if (c < 0x20)
            return "holds a control character";
        if (strchr("<>:\"/|?*", c))
            return "holds a character that Windows file names cannot (< > : \" / | ? *)";
    }
    char last = part[part.size() - 1];
    if (last == '.' || last == ' ')
        return "ends a folder or file name with a dot or a space, which Windows drops";
    // The setup's own list, so that the two never disagree.
    if (EntryPartIsDevice(part.data(), part.size()))
        return "uses a device name that Windows reserves";
    return 0;
}

std::string Quoted(const std::string& cp1252)
{
    return "'" + ArchiveNameToUtf8(cp1252) + "'";
}

int Collect(const std::string& hostDir, const std::string& prefix,
            std::vector<ArchiveEntry>& entries, std::string& error)
{
    DIR* dir = opendir(hostDir.c_str());
    if (!dir) {
        error = "cannot read folder '" + hostDir + "': " + strerror(errno);
        return 0;
    }
    std::vector<std::string> names;
    errno = 0;
    while (struct dirent* d = readdir(dir)) {
        if (strcmp(d->d_name, ".") != 0 && strcmp(d->d_name, "..") != 0)
            names.push_back(d->d_name);
    }
    int readError = errno;
    closedir(dir);
    if (readError) {
        error = "cannot read folder '" + hostDir + "': " + strerror(readError);
        return 0;
    }
    std::sort(names.begin(), names.end());

    for (const std::string& hostName : names) {
        std::string path = hostDir + "/" + hostName;
        std::string part;
        if (!ArchiveNameFromUtf8(hostName, part)) {
            error = "file name '" + path + "' is not UTF-8 text that CP1252 can hold";
            return 0;
        }
        if (part.find('\\') != std::string::npos) {
            error = "file name '" + path + "' holds a backslash, which separates folders in the archive";
            return 0;
        }
        std::string name = prefix.empty() ? part : prefix + "\\" + part;

        struct stat st;
        if (lstat(path.c_str(), &st) != 0) {
            error = "cannot read '" + path + "': " + strerror(errno);
            return 0;
        }
        if (S_ISLNK(st.st_mode)) {
            if (stat(path.c_str(), &st) != 0) {
                error = "cannot read '" + path + "': " + strerror(errno);
                return 0;
            }
            if (S_ISDIR(st.st_mode)) {
                error = "'" + path + "' is a link to a folder; copy the folder instead";
                return 0;
            }
        }
        if (S_ISDIR(st.st_mode)) {
            if (!Collect(path, name, entries, error))
                return 0;
        } else if (S_ISREG(st.st_mode)) {
            FILE* probe = fopen(path.c_str(), "rb");
            if (!probe) {
                error = "cannot read '" + path + "': " + strerror(errno);
                return 0;
            }
            fclose(probe);
            ArchiveEntry entry;
            entry.name = name;
            entry.hostPath = path;
            entry.size = (uint64_t)st.st_size;
            entries.push_back(entry);
        } else {
            error = "'" + path + "' is not a regular file";
            return 0;
        }
    }
    return 1;
}

bool IsUninstaller(const std::string& name)
{
    return ArchiveFoldName(name) == UNINSTALL_PROGRAM;
}

// Files of a folder before its sub-folders, each by folded name.
bool ArchiveOrder(const ArchiveEntry& a, const ArchiveEntry& b)
{
    bool ua = IsUninstaller(a.name), ub = IsUninstaller(b.name);
    if (ua != ub)
        return ua;
    std::vector<std::string> pa = SplitName(a.name), pb = SplitName(b.name);
    for (size_t i = 0; i < pa.size() && i < pb.size(); ++i) {
        bool fileA = i + 1 == pa.size(), fileB = i + 1 == pb.size();
        if (fileA != fileB)
            return fileA;
        std::string fa = ArchiveFoldName(pa[i]), fb = ArchiveFoldName(pb[i]);
        if (fa != fb)
            return fa < fb;
        if (pa[i] != pb[i])
            return pa[i] < pb[i];
    }
    return pa.size() < pb.size();
}

}  // namespace

int ArchiveNameFromUtf8(const std::string& utf8, std::string& cp1252)
{
    cp1252.clear();
    const unsigned char* p = (const unsigned char*)utf8.data();
    const unsigned char* end = p + utf8.size();
    while (p < end) {
        uint32_t cp;
        int extra;
        if (*p < 0x80) {
            cp = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            return 0;
        }
        if (end - p <= extra)
            return 0;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return 0;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        static const uint32_t smallest[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < smallest[extra])
            return 0;  // overlong forms
        unsigned char c;
        if (!CodePointToCp1252(cp, &c))
            return 0;
        cp1252.push_back((char)c);
        p += 1 + extra;
    }
    return 1;
}

std::string ArchiveNameToUtf8(const std::string& cp1252)
{
    std::string out;
    for (unsigned char c : cp1252) {
        uint32_t cp = c;
        if (c >= 0x80 && c < 0xA0)
            cp = kHighControls[c - 0x80] ? kHighControls[c - 0x80] : 0xFFFD;
        if (cp < 0x80) {
            out.push_back((char)cp);
        } else if (cp < 0x800) {
            out.push_back((char)(0xC0 | (cp >> 6)));
            out.push_back((char)(0x80 | (cp & 0x3F)));
        } else {
            out.push_back((char)(0xE0 | (cp >> 12)));
            out.push_back((char)(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back((char)(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string ArchiveFoldName(const std::string& cp1252)
{
    std::string out(cp1252);
    for (char& c : out)
        c = (char)FoldByte((unsigned char)c);
    return out;
}

ArchiveEntry ArchiveHeldEntry(const std::string& name, const std::string& data)
{
    ArchiveEntry e;
    e.name = name;
    e.data.assign(data.begin(), data.end());
    e.size = data.size();
    return e;
}

int ArchiveCollectFolder(const std::string& folder, std::vector<ArchiveEntry>& entries,
                         std::string& error)
{
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) {
        error = errno == ENOENT ? "folder '" + folder + "' does not exist"
                                : "cannot read folder '" + folder + "': " + strerror(errno);
        return 0;
    }
    if (!S_ISDIR(st.st_mode)) {
        error = "'" + folder + "' is not a folder";
        return 0;
    }
    entries.clear();
    return Collect(folder, "", entries, error);
}

void ArchiveSortEntries(std::vector<ArchiveEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), ArchiveOrder);
}

int ArchiveCheckEntries(const std::vector<ArchiveEntry>& entries, std::string& error)
{
    std::map<std::string, const ArchiveEntry*> files;
    std::map<std::string, const ArchiveEntry*> folders;
    for (const ArchiveEntry& e : entries) {
        if (e.name.size() > ArchiveNameMax) {
            error = "name " + Quoted(e.name) + " is " + std::to_string(e.name.size()) +
                    " characters long; the archive holds at most " +
                    std::to_string((int)ArchiveNameMax);
            return 0;
        }
        std::vector<std::string> parts = SplitName(e.name);
        for (const std::string& part : parts) {
            if (const char* problem = PartProblem(part)) {
                error = "name " + Quoted(e.name) + " " + problem;
                return 0;
            }
        }
        // The setup makes and logs one folder level for a file, and keeps
        // its log and archive in the target folder under these names.
        if (parts.size() > 1 + (size_t)EntryMaxFolders) {
            error = "name " + Quoted(e.name) + " lies " + std::to_string(parts.size() - 1) +
                    " folders deep; the setup takes files at most " +
                    std::to_string((int)EntryMaxFolders) + " folder below the target folder";
            return 0;
        }
        if (EntryNameReserved(e.name.c_str())) {
            error = "name " + Quoted(e.name) + " is a file that the setup itself writes in the target folder";
            return 0;
        }
        std::string folded = ArchiveFoldName(e.name);
        std::pair<std::map<std::string, const ArchiveEntry*>::iterator, bool> added =
            files.insert(std::make_pair(folded, &e));
        if (!added.second) {
            error = "names " + Quoted(added.first->second->name) + " and " + Quoted(e.name) +
                    " are the same without regard to case";
            return 0;
        }
        std::string folder;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            folder += (i ? "\\" : "") + ArchiveFoldName(parts[i]);
            folders.insert(std::make_pair(folder, &e));
        }
    }
    for (const auto& f : folders) {
        auto clash = files.find(f.first);
        if (clash != files.end()) {
            error = "name " + Quoted(clash->second->name) + " is a file, but " +
                    Quoted(f.second->name) + " needs a folder of that name";
            return 0;
        }
    }
    uint64_t size = ArchiveSize(entries);
    if (size > kArchiveMaxSize) {
        error = "the archive would be " + std::to_string(size) +
                " bytes; its 32-bit offsets reach at most " + std::to_string(kArchiveMaxSize);
        return 0;
    }
    return 1;
}

uint64_t ArchiveSize(const std::vector<ArchiveEntry>& entries)
{
    uint64_t size = HeaderSize + (uint64_t)EntrySize * entries.size();
    for (const ArchiveEntry& e : entries)
        size += e.size;
    return size;
}

uint64_t ArchiveDataOffset(const std::vector<ArchiveEntry>& entries, size_t index)
{
    uint64_t offset = HeaderSize + (uint64_t)EntrySize * entries.size();
    for (size_t i = 0; i < index && i < entries.size(); ++i)
        offset += entries[i].size;
    return offset;
}

namespace {

// The header and the directory.
std::vector<unsigned char> Directory(const std::vector<ArchiveEntry>& entries)
{
    std::vector<unsigned char> out(HeaderSize + (size_t)EntrySize * entries.size(), 0);
    memcpy(out.data(), kMagic, sizeof(kMagic));
    PutLE32(&out[23], (uint32_t)entries.size());
    uint32_t offset = (uint32_t)out.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        unsigned char* field = &out[HeaderSize + EntrySize * i];
        memcpy(field, entries[i].name.data(), entries[i].name.size());
        PutLE32(field + NameField, offset);
        PutLE32(field + NameField + 4, (uint32_t)entries[i].size);
        offset += (uint32_t)entries[i].size;
    }
    return out;
}

// Streams one entry's host file, checking that it still has its size.
template <typename Sink>
int CopyHostFile(const ArchiveEntry& e, Sink sink, std::string& error, uint64_t& done,
                 uint64_t total, ArchiveProgress progress, void* progressContext)
{
    FILE* in = fopen(e.hostPath.c_str(), "rb");
    if (!in) {
        error = "cannot read '" + e.hostPath + "': " + strerror(errno);
        return 0;
    }
    std::vector<unsigned char> chunk(1 << 16);
    uint64_t left = e.size;
    while (left > 0) {
        size_t want = left < chunk.size() ? (size_t)left : chunk.size();
        size_t got = fread(chunk.data(), 1, want, in);
        if (got != want) {
            error = ferror(in) ? "cannot read '" + e.hostPath + "': " + strerror(errno)
                               : "'" + e.hostPath + "' became shorter while the archive was written";
            fclose(in);
            return 0;
        }
        if (!sink(chunk.data(), got)) {
            fclose(in);
            error = "cannot write the archive: " + std::string(strerror(errno));
            return 0;
        }
        left -= got;
        done += got;
        if (progress)
            progress(progressContext, done, total);
    }
    bool grew = fgetc(in) != EOF;
    fclose(in);
    if (grew) {
        error = "'" + e.hostPath + "' became longer while the archive was written";
        return 0;
    }
    return 1;
}

template <typename Sink>
int WriteAll(const std::vector<ArchiveEntry>& entries, Sink sink, std::string& error,
             ArchiveProgress progress, void* progressContext)
{
    if (!ArchiveCheckEntries(entries, error))
        return 0;
    std::vector<unsigned char> directory = Directory(entries);
    if (!sink(directory.data(), directory.size())) {
        error = "cannot write the archive: " + std::string(strerror(errno));
        return 0;
    }
    uint64_t total = ArchiveSize(entries), done = directory.size();
    for (const ArchiveEntry& e : entries) {
        if (e.hostPath.empty()) {
            if (e.data.size() != e.size) {
                error = "entry " + Quoted(e.name) + " holds other than its size in bytes";
                return 0;
            }
            if (!e.data.empty() && !sink(e.data.data(), e.data.size())) {
                error = "cannot write the archive: " + std::string(strerror(errno));
                return 0;
            }
            done += e.size;
        } else if (!CopyHostFile(e, sink, error, done, total, progress, progressContext)) {
            return 0;
        }
    }
    return 1;
}

}  // namespace

int ArchiveWrite(const std::vector<ArchiveEntry>& entries, FILE* out, std::string& error,
                 ArchiveProgress progress, void* progressContext)
{
    return WriteAll(
        entries,
        [out](const unsigned char* p, size_t n) { return fwrite(p, 1, n, out) == n; },
        error, progress, progressContext);
}

int ArchiveWriteMemory(const std::vector<ArchiveEntry>& entries, std::vector<unsigned char>& out,
                       std::string& error)
{
    out.clear();
    out.reserve((size_t)std::min<uint64_t>(ArchiveSize(entries), 1u << 30));
    return WriteAll(
        entries,
        [&out](const unsigned char* p, size_t n) {
            out.insert(out.end(), p, p + n);
            return true;
        },
        error, 0, 0);
}
