// The install stages that the timeline runs. Each returns 1 on success and
// 0 on failure; a failing stage sets gSetup.abortCode (5..16) and closes what
// it opened itself. Slice stages take the timeline step; their last step
// moves the rest.
#ifndef KOVRA_STAGES_H
#define KOVRA_STAGES_H

int PrepareTarget();            // step 1
int StageSlice(int step);       // steps 2..19
int OpenExpansion();            // step 20
int ExpandSlice(int step);      // steps 21..60
int OpenExtraction();           // step 61
int ExtractSlice(int step);     // steps 62..95
int CreateFileFolders(const char* path);

#endif
