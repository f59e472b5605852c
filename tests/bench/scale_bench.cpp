// Payload size against time, printed and not asserted: payloads of 311,
// 5,000 and 20,000 one-byte entries, each installed through the wizard into
// a fresh folder (wall time from "INSTALL" to the closing box, and for the
// largest the longest gap between two bar positions), then again with its
// last file blocked, so that the run fails there and rolls every file back
// (wall time from answering the closing box to the exit).
// Usage: scale_bench.exe SETUP.EXE [FIGURE-FILE]
#include <stdio.h>
#include <string.h>

#include "../e2e/install_run.h"
#include "../wine/engine_fixture.h"

static double LongestGap(const e2e::InstallRun& run)
{
    double longest = 0;
    for (size_t i = 1; i < run.positions.size(); ++i)
        if (run.positions[i - 1] > 0 && run.positionMs[i] - run.positionMs[i - 1] > longest)
            longest = run.positionMs[i] - run.positionMs[i - 1];
    return longest;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: scale_bench SETUP.EXE [FIGURE-FILE]\n");
        return 2;
    }
    static const unsigned int counts[] = { 311, 5000, 20000 };
    std::string figures;
    int status = 0;
    CreateDirectoryA("C:\\kovra-scale", NULL);
    for (unsigned int count : counts) {
        char folder[64];
        snprintf(folder, sizeof folder, "C:\\kovra-scale\\%u", count);
        CreateDirectoryA(folder, NULL);
        std::string exe = std::string(folder) + "\\setup.exe";
        fx::Bytes payload = fx::Szdd(fx::Archive(fx::OneByteEntries(count)));
        if (!fx::CopyWithPayload(argv[1], exe.c_str(), payload.data(), (DWORD)payload.size())) {
            fprintf(stderr, "scale_bench: cannot make %s\n", exe.c_str());
            return 1;
        }
        e2e::InstallRun install = e2e::Install(exe.c_str(), std::string(folder) + "\\game");
        fx::MakeFolders(std::string(folder) + "\\blocked\\readme.txt\\");
        e2e::InstallRun rollback = e2e::Install(exe.c_str(), std::string(folder) + "\\blocked");
        int complete = install.closingText == "Installation erfolgreich." &&
                       rollback.closingText == "Installation abgebrochen." && rollback.exitCode == 1 &&
                       fx::Tree(std::string(folder) + "\\blocked\\").size() == 1;
        if (!complete)
            status = 1;
        char line[400];
        snprintf(line, sizeof line,
                 "figure: %u one-byte entries: install %.0f ms (floor %.0f ms), rollback %.0f ms; "
                 "longest gap between bar positions %.0f ms%s\n",
                 count, install.closingMs, 101 * 50.0, rollback.exitMs, LongestGap(install),
                 complete ? "" : " (a run did not go through)");
        fputs(line, stdout);
        figures += line;
        fx::RemoveTree(std::string(folder) + "\\");
        RemoveDirectoryA(folder);
    }
    if (argc > 2)
        WriteWhole(argv[2], figures.data(), figures.size());
    return status;
}
