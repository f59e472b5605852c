// Install figures, printed and not asserted: the wall time of an install from
// "INSTALL" to the closing box against the timeline's floor of 101 ticks of
// 50 ms, and the longest gap between two bar positions (the slowest step);
// beside it the unattended install (/S), whose steps are not paced, and the
// same of the peer installer (peer.exe in the current folder, when built).
// Usage: install_bench.exe SETUP.EXE [FIGURE-FILE]
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <utility>

#include "../e2e/install_run.h"
#include "tests/file_bytes.h"

// An unattended install (/S /D=), best of three, each into a folder of its
// own: from the start of the process to its end.
static double UnattendedMs(const char* exe, const char* folder, int* code)
{
    double best = 0;
    for (int i = 0; i < 3; ++i) {
        char arguments[80];
        snprintf(arguments, sizeof arguments, "/S /D=C:\\kovra-bench\\%s %d", folder, i);
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        fx::App app;
        if (!fx::Launch(exe, &app, NULL, arguments))
            return 0;
        *code = fx::WaitExit(&app, 60000);
        double ms = e2e::MsSince(start);
        best = i == 0 || ms < best ? ms : best;
    }
    return best;
}

static double PeerKB(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data) ? data.nFileSizeLow / 1024.0 : 0;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: install_bench SETUP.EXE [FIGURE-FILE]\n");
        return 2;
    }
    const char* exe = argv[1];
    CreateDirectoryA("C:\\kovra-bench", NULL);
    e2e::InstallRun run = e2e::Install(exe, "C:\\kovra-bench\\game");
    if (!run.reachedProgress || run.closingText.empty()) {
        fprintf(stderr, "install_bench: the install did not run through\n");
        return 1;
    }

    HMODULE module = LoadLibraryExA(exe, NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC payload = module ? FindResourceA(module, MAKEINTRESOURCEA(144), "TEMPLATE") : NULL;
    DWORD payloadSize = payload ? SizeofResource(module, payload) : 0;

    const double floorMs = 101 * 50.0;
    // The gap before a position is the time its step took to show: a tick's
    // 50 ms plus what its stage cost beyond that.
    std::vector<std::pair<double, int> > gaps;
    for (size_t i = 1; i < run.positions.size(); ++i)
        if (run.positions[i - 1] > 0)
            gaps.push_back(std::make_pair(run.positionMs[i] - run.positionMs[i - 1], run.positions[i]));
    std::sort(gaps.rbegin(), gaps.rend());
    gaps.resize(gaps.size() < 3 ? gaps.size() : 3, std::make_pair(0.0, 0));
    double longestGap = gaps.empty() ? 0 : gaps[0].first;
    int slowestStep = gaps.empty() ? 0 : gaps[0].second;
    char slowest[200] = "";
    for (size_t i = 0; i < gaps.size(); ++i)
        snprintf(slowest + strlen(slowest), sizeof slowest - strlen(slowest), "%s%d: %.0f ms", i ? ", " : "",
                 gaps[i].second, gaps[i].first);

    int silentCode = -1, peerCode = -1;
    double silentMs = UnattendedMs(exe, "unattended", &silentCode);
    // The tree's top, where the build leaves peer.exe, is the current folder.
    char peer[MAX_PATH];
    GetFullPathNameA("peer.exe", sizeof peer, peer, NULL);
    double peerMs = GetFileAttributesA(peer) != INVALID_FILE_ATTRIBUTES ? UnattendedMs(peer, "peer", &peerCode) : 0;

    char figures[1024];
    snprintf(figures, sizeof figures,
             "figure: install from INSTALL to the closing box: %.0f ms against the floor of %.0f ms "
             "(+%.1f%%; aim within 3%%), payload %lu bytes, ended \"%s\"\n"
             "figure: longest gap between two bar positions: %.0f ms, before step %d (aim under 60 ms; "
             "slowest steps %s)\n"
             "figure: unattended install (/S) of the same payload: %.0f ms, best of 3, exit code %d "
             "(the wizard's paced timeline: %.0f ms); the peer installer (makensis, solid LZMA, %.0f KB): "
             "%.0f ms, exit code %d (ours %.2fx its time)\n",
             run.closingMs, floorMs, (run.closingMs - floorMs) * 100.0 / floorMs, (unsigned long)payloadSize,
             run.closingText.c_str(), longestGap, slowestStep, slowest, silentMs, silentCode, run.closingMs,
             PeerKB(peer), peerMs, peerCode, peerMs > 0 ? silentMs / peerMs : 0.0);
    fputs(figures, stdout);
    if (argc > 2)
        WriteWhole(argv[2], figures, strlen(figures));
    return 0;
}
