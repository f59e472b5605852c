// The install timeline: 100 steps, each running at most one stage.
#ifndef KOVRA_TIMELINE_H
#define KOVRA_TIMELINE_H

// Runs the stage that the step table names for step (1..100); returns its
// result, 1 for a step without a stage.
int RunTimelineStep(int step);

#endif
