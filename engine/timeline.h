// The progress page: a 50 ms timer walks the 100-step install timeline.
#ifndef KOVRA_TIMELINE_H
#define KOVRA_TIMELINE_H

#include <windows.h>

// Dialog procedure of template 180. Each tick advances gSetup.step by one,
// runs that step's stage while abortCode is 0, and shows the step on the bar
// and the label; the tick after step 100 ends the dialog with page 5.
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the stage that the step table names for step (1..100); returns its
// result, 1 for a step without a stage.
int RunTimelineStep(int step);

#endif
