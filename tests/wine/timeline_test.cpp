// The progress page (template 180 of setup.exe) run in-process: its timer
// walks the step table, the bar and label follow the step, the page closes
// with page 5, and a stage's message box does not let the step run on.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "engine/stages.h"
#include "engine/timeline.h"
#include "pages/pages.h"
#include "payload_fixture.h"
#include "resources/resource_ids.h"

namespace {

// What the page showed after each timer message had been handled.
struct Sample {
    int step;
    int position;
    std::string label;
    int busy;
};

struct PageRecord {
    HWND page = NULL;
    std::string noteAtStart, labelAtStart;
    int positionAtStart = -1, rangeHigh = -1;
    std::vector<Sample> ticks;
};

PageRecord* gRecord;

std::string ControlText(HWND page, int id)
{
    char text[200] = "";
    GetWindowTextA(GetDlgItem(page, id), text, sizeof text);
    return text;
}

INT_PTR CALLBACK RecordingProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A tick that arrives while a stage is running sees stepBusy set.
    int busy = gSetup.stepBusy;
    INT_PTR result = ProgressPageProc(page, message, wParam, lParam);
    HWND bar = GetDlgItem(page, IDC_PROGRESS_BAR);
    if (message == WM_INITDIALOG) {
        gRecord->page = page;
        gRecord->noteAtStart = ControlText(page, 0xFFFF);
        gRecord->labelAtStart = ControlText(page, IDC_PROGRESS_LABEL);
        gRecord->positionAtStart = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
        gRecord->rangeHigh = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    } else if (message == WM_TIMER && IsWindow(page)) {
        gRecord->ticks.push_back(
            { gSetup.step, (int)SendMessageA(bar, PBM_GETPOS, 0, 0), ControlText(page, IDC_PROGRESS_LABEL), busy });
    }
    return result;
}

class ProgressPage : public fx::PayloadTest {
protected:
    void SetUp() override
    {
        target = fx::Fresh("timeline");
        fx::ResetState(target);
    }
    // Shows the page of a setup.exe that carries payload; returns the
    // dialog's result.
    INT_PTR Run(const fx::Bytes& payload)
    {
        CarryAs(payload, "C:\\timeline.exe");
        gSetup.page = PageProgress;
        gSetup.platform = 2;
        gRecord = &record;
        return DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_PROGRESS), NULL, RecordingProc, 0);
    }
    // The bar positions in the order shown, each once.
    std::vector<int> Positions()
    {
        std::vector<int> out;
        for (const Sample& s : record.ticks)
            if (out.empty() || out.back() != s.position)
                out.push_back(s.position);
        return out;
    }
    static std::vector<int> OneToHundred()
    {
        std::vector<int> out;
        for (int i = 1; i <= 100; ++i)
            out.push_back(i);
        return out;
    }

    std::string target;
    PageRecord record;
};

TEST_F(ProgressPage, InstallsThePayloadWhileTheBarGoesFrom1To100)
{
    std::vector<fx::Entry> entries = {
        { "uninst.exe", fx::Filler(30000, 1) }, { "kovra.exe", fx::Filler(90000, 2) },
        { "sfx\\a.wav", fx::Filler(12000, 3) }, { "readme.txt", "" },
    };
    ASSERT_EQ(1, Run(fx::Szdd(fx::Archive(entries))));

    EXPECT_EQ("Bitte haben Sie etwas Geduld.", record.noteAtStart);
    EXPECT_EQ("Fortschritt: 20%", record.labelAtStart);  // the template's text until the first tick
    EXPECT_EQ(0, record.positionAtStart);
    EXPECT_EQ(100, record.rangeHigh);

    EXPECT_EQ(OneToHundred(), Positions());
    for (const Sample& s : record.ticks) {
        EXPECT_EQ(s.step, s.position);
        EXPECT_EQ("Fortschritt: " + std::to_string(s.step) + "%", s.label);
    }
    // The tick after step 100 closes the page.
    EXPECT_FALSE(IsWindow(record.page));
    EXPECT_EQ(PageFinished, gSetup.page);
    EXPECT_EQ(100, gSetup.step);
    EXPECT_EQ(0, gSetup.stepBusy);

    EXPECT_EQ(0, gSetup.abortCode);
    for (const fx::Entry& e : entries)
        EXPECT_EQ(e.data, fx::ReadOr(target + e.name)) << e.name;
    EXPECT_EQ(std::vector<std::string>({ "deinst.log", "kovra.exe", "readme.txt", "sfx\\", "sfx\\a.wav", "uninst.exe" }),
              fx::Tree(target));
    EXPECT_EQ(0, gSetup.staging.stagedPresent);
    EXPECT_EQ(0, gSetup.expansion.archivePresent);
    // Then steps 98 and 99: the Start-menu folder and its two shortcuts, and
    // the uninstall entry.
    std::string log = fx::LogOnDisk(true);
    std::string files = "ID 2 0 0\r\nNC uninst.exe\r\nNC kovra.exe\r\nSD " + target + "sfx\r\nNC sfx\\a.wav\r\n"
                        "NC readme.txt\r\n";
    EXPECT_EQ(files, log.substr(0, files.size()));
    std::string codes;
    for (size_t line = files.size(); line < log.size(); line = log.find("\r\n", line) + 2)
        codes += log.substr(line, 2) + " ";
    EXPECT_EQ("CI CL CL RK ", codes);
}

TEST_F(ProgressPage, TicksWaitWhileTheFolderErrorIsOpenAndTheBarStillReaches100)
{
    // Slices of 10 bytes: "sfx\b.wav" comes up in step 62, where its folder
    // is blocked by a file; "c.txt" is never written.
    ASSERT_TRUE(fx::WriteWhole(target + "sfx", "mine"));
    fx::BoxAnswerer answerer(400);
    ASSERT_EQ(1, Run(fx::Szdd(fx::Archive({ { "a.txt", "1" }, { "sfx\\b.wav", fx::Filler(339, 1) }, { "c.txt", "3" } }))));
    EXPECT_EQ(1u, answerer.Stop().size());

    EXPECT_EQ(AbortFileFolders, gSetup.abortCode);
    EXPECT_EQ(OneToHundred(), Positions());
    // Ticks that came while the box was open ran nothing and left the step at 62.
    int waited = 0;
    for (const Sample& s : record.ticks)
        if (s.busy) {
            ++waited;
            EXPECT_EQ(62, s.step);
            EXPECT_EQ(61, s.position);
        }
    EXPECT_GE(waited, 3);
    EXPECT_EQ(PageFinished, gSetup.page);
    EXPECT_EQ(std::vector<std::string>({ "a.txt", "deinst.log", "sfx", "temp.uni" }), fx::Tree(target));
}

}  // namespace
