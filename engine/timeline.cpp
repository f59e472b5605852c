// The step table of the install. One step runs at most one stage, a bounded
// slice of work, so that the progress page repaints and its bar moves between
// two steps without a second thread.
#include "engine/stages.h"
#include "engine/timeline.h"
#include "integration/integration.h"
#include "setup/run_report.h"
#include "support/product_names.h"

static int RegisterUninstallStep()
{
    return RegisterUninstall(PRODUCT_KEY_NAME, UNINSTALL_LINK_NAME, UNINSTALL_PROGRAM);
}

// Steps first..last run one stage: a whole stage, or a slice stage given the step.
// Stages with a name start a line of the run's account (/LOG=).
struct TimelineRow {
    unsigned char first;   // steps run from 1 to 100
    unsigned char last;
    int (*stage)();
    int (*slice)(int step);
    const char* name;
};

static const TimelineRow Timeline[] = {
    { PrepareStep, PrepareStep, PrepareTarget, NULL, "Zielordner und Protokoll" },
    { PrepareStep + 1, StageLastStep, NULL, StageSlice, "Daten bereitstellen" },
    { ExpansionOpenStep, ExpansionOpenStep, OpenExpansion, NULL, "Daten entpacken" },
    { ExpansionOpenStep + 1, ExpandLastStep, NULL, ExpandSlice, NULL },
    { ExtractionOpenStep, ExtractionOpenStep, OpenExtraction, NULL, "Dateien schreiben" },
    { ExtractionOpenStep + 1, ExtractLastStep, NULL, ExtractSlice, NULL },
    { StartMenuStep, StartMenuStep, InstallStartMenuEntries, NULL, "Startmen\xFC" },
    { UninstallStep, UninstallStep, RegisterUninstallStep, NULL, "Deinstallationseintrag" },
};

int RunTimelineStep(int step)
{
    for (unsigned int i = 0; i < sizeof Timeline / sizeof Timeline[0]; ++i) {
        const TimelineRow& row = Timeline[i];
        if (step < row.first || step > row.last)
            continue;
        if (step == row.first && row.name)
            ReportPair("Stufe", row.name);
        return row.stage ? row.stage() : row.slice(step);
    }
    return 1;
}
