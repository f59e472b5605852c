// kovra_payload: builds the setup's payload from a folder. The folder's
// files become a ResFile archive, the archive is compressed to SZDD, and the
// result is expanded again with our own reader and compared with the archive
// before it replaces the output file.
#include "tools/archive_writer.h"
#include "tools/reference_expand.h"
#include "tools/szdd.h"
#include "tools/szdd_reader.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: kovra_payload [options] FOLDER OUTPUT\n"
    "Packs the files below FOLDER into an archive and compresses it to OUTPUT.\n"
    "  --archive FILE           keep the uncompressed archive as FILE\n"
    "  --expect-size N          fail unless the archive has N bytes\n"
    "  --expect-compressed N    fail unless OUTPUT has N bytes\n"
    "  --cross-check            also expand OUTPUT with libmspack and msexpand\n"
    "  --quiet                  print nothing but errors\n";

bool gShowProgress;

int Fail(const std::string& message)
{
    fprintf(stderr, "kovra_payload: %s\n", message.c_str());
    return 1;
}

void ShowProgress(const char* what, uint64_t done, uint64_t total)
{
    if (!gShowProgress || total == 0)
        return;
    fprintf(stderr, "\r%-12s %3u %%", what, (unsigned)(done * 100 / total));
    fflush(stderr);
}

void EndProgress()
{
    if (gShowProgress)
        fprintf(stderr, "\r%24s\r", "");
}

void ArchiveProgressShown(void*, uint64_t done, uint64_t total)
{
    ShowProgress("archiving", done, total);
}

void CompressProgressShown(void*, uint64_t done, uint64_t total)
{
    ShowProgress("compressing", done, total);
}

struct FileSource {
    FILE* file;
};

size_t FileRead(void* context, unsigned char* buffer, size_t count)
{
    return fread(buffer, 1, count, ((FileSource*)context)->file);
}

int FileRewind(void* context)
{
    return fseek(((FileSource*)context)->file, 0, SEEK_SET) == 0;
}

// Expands the written file in 10,000-byte reads, as the setup will, and
// compares every byte with the archive.
int Verify(const std::string& path, const unsigned char* archive, uint64_t size, std::string& error)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot read back '" + path + "': " + strerror(errno);
        return 0;
    }
    struct stat st;
    fstat(fileno(f), &st);
    FileSource context = {f};
    SzddSource source = {&context, FileRead, FileRewind};
    SzddReader* reader = new SzddReader;
    SzddOpen(reader, &source, (uint64_t)st.st_size);
    int ok = SzddIsCompressed(reader) && SzddSeek(reader, 0, 2) == (int64_t)size &&
             SzddSeek(reader, 0, 0) == 0;
    std::vector<unsigned char> chunk(10000);
    uint64_t at = 0;
    while (ok) {
        size_t got = SzddRead(reader, chunk.data(), chunk.size());
        if (got == 0)
            break;
        if (at + got > size || memcmp(chunk.data(), archive + at, got) != 0)
            ok = 0;
        at += got;
    }
    SzddClose(reader);
    delete reader;
    fclose(f);
    if (!ok || at != size) {
        error = "the compressed file does not expand to the archive";
        return 0;
    }
    return 1;
}

int CrossCheck(const std::string& path, const unsigned char* archive, uint64_t size,
               const std::vector<unsigned char>& compressed, std::string& error)
{
    std::vector<unsigned char> out;
    if (!MspackExpand(compressed.data(), compressed.size(), out) || out.size() != size ||
        memcmp(out.data(), archive, (size_t)size) != 0) {
        error = "libmspack does not expand the compressed file to the archive";
        return 0;
    }
    if (!MsexpandFile(path, out) || out.size() != size || memcmp(out.data(), archive, (size_t)size) != 0) {
        error = "msexpand does not expand the compressed file to the archive";
        return 0;
    }
    return 1;
}

bool ParseCount(const char* text, uint64_t* value)
{
    char* end = 0;
    errno = 0;
    unsigned long long v = strtoull(text, &end, 10);
    if (errno || !end || *end || end == text)
        return false;
    *value = v;
    return true;
}

std::string Thousands(uint64_t v)
{
    std::string digits = std::to_string(v), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string archivePath, folder, output;
    uint64_t expectSize = 0, expectCompressed = 0;
    bool quiet = false, crossCheck = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--archive" && i + 1 < argc) {
            archivePath = argv[++i];
        } else if (a == "--expect-size" && i + 1 < argc) {
            if (!ParseCount(argv[++i], &expectSize))
                return Fail("--expect-size needs a number");
        } else if (a == "--expect-compressed" && i + 1 < argc) {
            if (!ParseCount(argv[++i], &expectCompressed))
                return Fail("--expect-compressed needs a number");
        } else if (a == "--cross-check") {
            crossCheck = true;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "-h" || a == "--help") {
            fputs(kUsage, stdout);
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            fputs(kUsage, stderr);
            return 2;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        fputs(kUsage, stderr);
        return 2;
    }
    folder = positional[0];
    output = positional[1];
    gShowProgress = !quiet && isatty(2);
    bool keepArchive = !archivePath.empty();
    if (!keepArchive)
        archivePath = output + ".uni.tmp";

    std::string error;
    std::vector<ArchiveEntry> entries;
    if (!ArchiveCollectFolder(folder, entries, error))
        return Fail(error);
    ArchiveSortEntries(entries);
    if (!ArchiveCheckEntries(entries, error))
        return Fail(error);
    uint64_t size = ArchiveSize(entries);
    if (expectSize && size != expectSize)
        return Fail("the archive would have " + Thousands(size) + " bytes, not " + Thousands(expectSize));

    std::string archiveTemp = archivePath + ".part";
    FILE* out = fopen(archiveTemp.c_str(), "wb");
    if (!out)
        return Fail("cannot create '" + archiveTemp + "': " + strerror(errno));
    int written = ArchiveWrite(entries, out, error, ArchiveProgressShown, 0);
    if (fclose(out) != 0 && written) {
        written = 0;
        error = "cannot write '" + archiveTemp + "': " + strerror(errno);
    }
    EndProgress();
    if (!written || rename(archiveTemp.c_str(), archivePath.c_str()) != 0) {
        unlink(archiveTemp.c_str());
        return Fail(written ? "cannot write '" + archivePath + "': " + strerror(errno) : error);
    }

    // The archive is read back through a mapping: up to 4 GiB need not fit
    // in memory twice.
    int fd = open(archivePath.c_str(), O_RDONLY);
    if (fd < 0)
        return Fail("cannot read back '" + archivePath + "': " + strerror(errno));
    const unsigned char* archive = 0;
    void* mapped = MAP_FAILED;
    if (size) {
        mapped = mmap(0, (size_t)size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED) {
            close(fd);
            return Fail("cannot map '" + archivePath + "': " + strerror(errno));
        }
        archive = (const unsigned char*)mapped;
    }
    close(fd);

    std::vector<unsigned char> compressed;
    SzddCompress(archive, (size_t)size, compressed, CompressProgressShown, 0);
    EndProgress();

    int status = 0;
    std::string outputTemp = output + ".part";
    FILE* sz = fopen(outputTemp.c_str(), "wb");
    if (!sz) {
        status = Fail("cannot create '" + outputTemp + "': " + strerror(errno));
    } else {
        bool ok = fwrite(compressed.data(), 1, compressed.size(), sz) == compressed.size();
        if (fclose(sz) != 0)
            ok = false;
        if (!ok)
            status = Fail("cannot write '" + outputTemp + "': " + strerror(errno));
    }
    if (status == 0 && !Verify(outputTemp, archive, size, error))
        status = Fail(error);
    if (status == 0 && crossCheck && !CrossCheck(outputTemp, archive, size, compressed, error))
        status = Fail(error);
    if (status == 0 && expectCompressed && compressed.size() != expectCompressed)
        status = Fail("the compressed payload has " + Thousands(compressed.size()) + " bytes, not " +
                      Thousands(expectCompressed));
    if (status == 0 && rename(outputTemp.c_str(), output.c_str()) != 0)
        status = Fail("cannot write '" + output + "': " + strerror(errno));
    if (status != 0)
        unlink(outputTemp.c_str());
    if (mapped != MAP_FAILED)
        munmap(mapped, (size_t)size);
    if (!keepArchive)
        unlink(archivePath.c_str());
    if (status == 0 && !quiet)
        printf("payload: %zu files, archive %s bytes, compressed %s bytes (%.1f %%), verified\n",
               entries.size(), Thousands(size).c_str(), Thousands(compressed.size()).c_str(),
               size ? 100.0 * compressed.size() / size : 0.0);
    return status;
}
