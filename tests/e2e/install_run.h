// One install through the wizard as a user makes it: the target typed on the
// target folder page, "INSTALL" on the confirmation page, then the progress
// page watched until it closes and the closing box answered. Shared by the
// end-to-end install tests and the install benchmark.
#ifndef KOVRA_INSTALL_RUN_H
#define KOVRA_INSTALL_RUN_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "uidriver.h"

namespace e2e {

struct InstallRun {
    bool reachedProgress = false;
    std::vector<int> positions;          // bar positions in the order seen, each once
    std::vector<double> positionMs;      // when each was first seen, from "INSTALL"
    std::vector<std::string> labels;     // label texts in the order seen, each once
    std::vector<double> labelMs;
    double longestLookGapMs = 0;         // the watcher's own longest pause
    std::vector<std::string> errorBoxes; // texts of "Fehler" boxes, answered
    bool pageClosed = false;
    std::string closingCaption, closingText;
    double closingMs = 0;                // from "INSTALL" to the closing box
    double exitMs = 0;                   // from answering it to the exit: the rollback, if any
    int exitCode = -2;
};

inline double MsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

inline bool WaitEnabled(HWND page, int id, DWORD timeoutMs = 5000)
{
    DWORD start = GetTickCount();
    while (!fx::Enabled(page, id)) {
        if (GetTickCount() - start > fx::Patience(timeoutMs))
            return false;
        Sleep(10);
    }
    return true;
}

// Runs exe through the wizard into target (a folder path as typed). With
// killAt, the program is killed once the bar has reached it, as a power cut
// would end it, and the run ends there. whileClosing runs while the closing
// box stands open, before it is answered; whileOnTarget while the target
// folder page stands, before anything is typed.
inline InstallRun Install(const char* exe, const std::string& target, int killAt = 0,
                          void (*whileClosing)(const std::string& target) = NULL,
                          void (*whileOnTarget)(const char* exe) = NULL)
{
    static const int welcomeIds[] = { IDC_WELCOME_TEXT, 0 };
    static const int targetIds[] = { IDC_TARGET_EDIT, IDC_BROWSE, 0 };
    static const int confirmIds[] = { IDC_TARGET_DISPLAY, IDC_CONFIRM_TEXT, 0 };
    static const int progressIds[] = { IDC_PROGRESS_BAR, IDC_PROGRESS_LABEL, 0 };

    InstallRun run;
    fx::App app;
    if (!fx::Launch(exe, &app))
        return run;
    HWND page = fx::WaitPage(app, welcomeIds);
    if (page) {
        fx::Click(page, IDC_NEXT);
        page = fx::WaitPage(app, targetIds);
    }
    if (page && whileOnTarget)
        whileOnTarget(exe);
    if (page) {
        fx::SetText(page, IDC_TARGET_EDIT, target.c_str());
        if (WaitEnabled(page, IDC_NEXT))
            fx::Click(page, IDC_NEXT);
        page = fx::WaitPage(app, confirmIds);
    }
    LARGE_INTEGER start;
    if (page && WaitEnabled(page, IDC_NEXT)) {
        QueryPerformanceCounter(&start);
        fx::Click(page, IDC_NEXT);
        page = fx::WaitPage(app, progressIds);
    } else {
        page = NULL;
    }
    if (!page) {
        fx::Kill(&app);
        return run;
    }
    run.reachedProgress = true;

    // Watch the bar and the label until the page goes; answer a "Fehler"
    // box after it has stood for a few ticks.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR);
    HWND labelControl = GetDlgItem(page, IDC_PROGRESS_LABEL);
    double lastLook = MsSince(start);
    // A timeline takes five seconds; a page still up after a minute has hung.
    while (IsWindow(page) && IsWindowVisible(page) && MsSince(start) < fx::Patience(60000)) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, fx::Patience(5000), &answer))
            break;
        int position = (int)answer;
        std::string label = fx::WindowText(labelControl);
        // The page takes its controls down before itself.
        if (!IsWindow(bar) || !IsWindow(labelControl))
            break;
        double now = MsSince(start);
        double gap = now - lastLook;
        lastLook = now;
        if (gap > run.longestLookGapMs)
            run.longestLookGapMs = gap;
        if (run.positions.empty() || run.positions.back() != position) {
            run.positions.push_back(position);
            run.positionMs.push_back(now);
        }
        if (killAt && position >= killAt) {
            fx::Kill(&app);
            return run;
        }
        if (run.labels.empty() || run.labels.back() != label) {
            run.labels.push_back(label);
            run.labelMs.push_back(now);
        }
        HWND error = FindWindowA("#32770", "Fehler");
        fx::MessageBox box;
        if (error && fx::WaitMessageBox(app, &box, 0) && box.caption == "Fehler") {
            run.errorBoxes.push_back(box.text);
            Sleep(300);
            fx::Answer(box);
            fx::WaitGone(box.window);
            lastLook = MsSince(start);
        }
        Sleep(1);
    }
    run.pageClosed = !IsWindow(page) || !IsWindowVisible(page) || !IsWindow(bar);
    if (!run.pageClosed) {
        fx::Kill(&app);
        return run;
    }

    fx::MessageBox closing;
    LARGE_INTEGER answered;
    QueryPerformanceCounter(&answered);
    if (fx::WaitMessageBox(app, &closing, 15000)) {
        run.closingMs = MsSince(start);
        run.closingCaption = closing.caption;
        run.closingText = closing.text;
        if (whileClosing)
            whileClosing(target);
        QueryPerformanceCounter(&answered);
        fx::Answer(closing);
    }
    run.exitCode = fx::WaitExit(&app, 60000);
    run.exitMs = MsSince(answered);
    return run;
}

// 1, 2, ... 100.
inline std::vector<int> OneToHundred()
{
    std::vector<int> out;
    for (int i = 1; i <= 100; ++i)
        out.push_back(i);
    return out;
}

}  // namespace e2e

#endif
