// kovra_demogame: writes the demo game's files below a folder. The same
// build always writes the same bytes.
#include "tools/demo_game.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: kovra_demogame [--programs DIR] FOLDER\n"
    "Writes the demo game's files below FOLDER. With --programs, DIR/kovra.exe and\n"
    "DIR/uninst.exe (where present) replace the placeholder programs.\n";

// 1 when the file was read, 0 when it is absent; -1 on an error.
int ReadOptional(const std::string& path, std::vector<unsigned char>& out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return 0;
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), f)) > 0)
        out.insert(out.end(), chunk, chunk + got);
    int ok = !ferror(f);
    fclose(f);
    return ok ? 1 : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder, programDir;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--programs") == 0 && i + 1 < argc) {
            programDir = argv[++i];
        } else if (argv[i][0] == '-' || !folder.empty()) {
            fputs(kUsage, stderr);
            return 2;
        } else {
            folder = argv[i];
        }
    }
    if (folder.empty()) {
        fputs(kUsage, stderr);
        return 2;
    }
    DemoPrograms programs;
    if (!programDir.empty() &&
        (ReadOptional(programDir + "/kovra.exe", programs.game) < 0 ||
         ReadOptional(programDir + "/uninst.exe", programs.uninstaller) < 0)) {
        fprintf(stderr, "kovra_demogame: cannot read the programs in '%s'\n", programDir.c_str());
        return 1;
    }
    std::string error;
    std::vector<ArchiveEntry> entries;
    DemoGameReport report;
    if (!DemoGameBuild(entries, error, &report, &programs) ||
        !DemoGameWriteTree(entries, folder, error)) {
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
