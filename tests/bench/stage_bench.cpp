// What each step of the timeline costs on its own, printed and not asserted:
// the stages of setup.exe's own payload run in-process, step by step, into a
// fresh folder, then the Start-menu and uninstall steps (98, 99) as on
// Windows NT, in the test's own prefix.
// Usage: stage_bench.exe SETUP.EXE [FIGURE-FILE]
#include <windows.h>
#include <objbase.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/resfile.h"
#include "engine/stages.h"
#include "engine/timeline.h"
#include "setup/system_dlls.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "tests/file_bytes.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: stage_bench SETUP.EXE [FIGURE-FILE]\n");
        return 2;
    }
    HMODULE module = LoadLibraryExA(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 1;
    gSetup.instance = module;
    CopyText(gSetup.targetPath, sizeof gSetup.targetPath, "C:\\kovra-stage-bench\\");
    gSetup.platform = 2;
    CoInitialize(NULL);
    // The expansion calls LZ32 through the table the start-up fills.
    if (!LoadSystemDlls())
        return 1;

    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    std::vector<std::pair<double, int> > costs;
    double total = 0;
    double startMenuMs = 0;
    for (int step = 1; step <= UninstallStep && gSetup.abortCode == 0; ++step) {
        QueryPerformanceCounter(&before);
        RunTimelineStep(step);
        QueryPerformanceCounter(&after);
        double ms = (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart;
        costs.push_back(std::make_pair(ms, step));
        if (step == StartMenuStep)
            startMenuMs = ms;
        total += ms;
    }
    std::sort(costs.rbegin(), costs.rend());
    char slowest[300] = "";
    for (size_t i = 0; i < costs.size() && i < 5; ++i)
        snprintf(slowest + strlen(slowest), sizeof slowest - strlen(slowest), "%s%d: %.1f ms", i ? ", " : "",
                 costs[i].second, costs[i].first);
    char figures[600];
    snprintf(figures, sizeof figures,
             "figure: install stages in-process: %.0f ms for steps 1..99 (%s); step 98 %.1f ms; slowest steps %s "
             "(a step costs the timeline a tick above 50 ms)\n",
             total, gSetup.abortCode ? "abandoned: setup.exe carries no archive" : "complete", startMenuMs, slowest);
    fputs(figures, stdout);
    if (argc > 2)
        WriteWhole(argv[2], figures, strlen(figures));
    return 0;
}
