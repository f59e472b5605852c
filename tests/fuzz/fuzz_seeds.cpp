// Writes the fuzzers' seeds: the head of the demo archive (its whole
// directory), a small complete archive, an empty one, and SZDD streams of
// the edge cases from our compressor.
#include "tools/archive_writer.h"
#include "tools/szdd.h"
#include "tools/szdd_cases.h"
#include "tests/file_bytes.h"

#include <stdio.h>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fputs("usage: fuzz_seeds DEMO_ARCHIVE RESFILE_SEEDS SZDD_SEEDS\n", stderr);
        return 2;
    }
    std::string resfile = argv[2], szdd = argv[3];
    std::vector<unsigned char> head(48 * 1024);  // the directory and a little data
    FILE* demo = fopen(argv[1], "rb");
    if (!demo) {
        perror(argv[1]);
        return 1;
    }
    head.resize(fread(head.data(), 1, head.size(), demo));
    fclose(demo);

    std::vector<ArchiveEntry> small = {ArchiveHeldEntry("uninst.exe", "MZ uninstaller"),
                                       ArchiveHeldEntry("kovra.exe", "MZ game"),
                                       ArchiveHeldEntry("gfx\\title.bmp", "BM"),
                                       ArchiveHeldEntry("empty.txt", "")};
    std::vector<unsigned char> archive, empty;
    std::string error;
    bool ok = ArchiveWriteMemory(small, archive, error) &&
              ArchiveWriteMemory(std::vector<ArchiveEntry>(), empty, error) &&
              WriteWhole(resfile + "/demo_head.uni", head) && WriteWhole(resfile + "/small.uni", archive) &&
              WriteWhole(resfile + "/empty.uni", empty);
    for (const SzddCase& c : SzddEdgeCases()) {
        if (c.data.size() > 20000)
            continue;
        std::vector<unsigned char> packed;
        SzddCompress(c.data.data(), c.data.size(), packed);
        // The reader's fuzzer takes three bytes of set-up before the file.
        packed.insert(packed.begin(), {7, 126, 33});
        ok = ok && WriteWhole(szdd + "/" + c.name + ".sz_", packed);
    }
    if (!ok) {
        fprintf(stderr, "fuzz_seeds: cannot write the seeds %s\n", error.c_str());
        return 1;
    }
    return 0;
}
