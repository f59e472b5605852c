// kovra_demogame: writes the demo game's files below a folder. The same
// build always writes the same bytes.
#include "tools/demo_game.h"

#include <stdio.h>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        fputs("usage: kovra_demogame FOLDER\nWrites the demo game's files below FOLDER.\n", stderr);
        return 2;
    }
    std::string error;
    std::vector<ArchiveEntry> entries;
    DemoGameReport report;
    if (!DemoGameBuild(entries, error, &report) || !DemoGameWriteTree(entries, argv[1], error)) {
        fprintf(stderr, "kovra_demogame: %s\n", error.c_str());
        return 1;
    }
    printf("demo game: %zu files, archive %llu bytes, compressed %llu bytes "
           "(film noise %llu bytes, seed %u, %u trials)\n",
           entries.size(), (unsigned long long)report.archiveSize,
           (unsigned long long)report.compressedSize, (unsigned long long)report.noiseBytes,
           report.seed, report.evaluations);
    return 0;
}
