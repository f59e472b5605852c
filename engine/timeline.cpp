// The step table of the install. One step runs at most one stage, a bounded
// slice of work, so that the progress page repaints and its bar moves between
// two steps without a second thread.
#include "engine/stages.h"
#include "engine/timeline.h"
#include "integration/integration.h"
#include "support/product_names.h"

static int RegisterUninstallStep()
{
    return RegisterUninstall(PRODUCT_KEY_NAME, UNINSTALL_LINK_NAME, UNINSTALL_PROGRAM);
}

// Steps first..last run one stage: a whole stage, or a slice stage given the step.
struct TimelineRow {
    unsigned char first;   // steps run from 1 to 100
    unsigned char last;
    int (*stage)();
    int (*slice)(int step);
};

static const TimelineRow Timeline[] = {
    { PrepareStep, PrepareStep, PrepareTarget, NULL },
    { PrepareStep + 1, StageLastStep, NULL, StageSlice },
    { ExpansionOpenStep, ExpansionOpenStep, OpenExpansion, NULL },
    { ExpansionOpenStep + 1, ExpandLastStep, NULL, ExpandSlice },
    { ExtractionOpenStep, ExtractionOpenStep, OpenExtraction, NULL },
    { ExtractionOpenStep + 1, ExtractLastStep, NULL, ExtractSlice },
    { StartMenuStep, StartMenuStep, InstallStartMenuEntries, NULL },
    { UninstallStep, UninstallStep, RegisterUninstallStep, NULL },
};

int RunTimelineStep(int step)
{
    for (unsigned int i = 0; i < sizeof Timeline / sizeof Timeline[0]; ++i) {
        const TimelineRow& row = Timeline[i];
        if (step >= row.first && step <= row.last)
            return row.stage ? row.stage() : row.slice(step);
    }
    return 1;
}
