// The install stages that the timeline runs. Each returns 1 on success and
// 0 on failure; a failing stage closes what it opened (its close function),
// then sets gSetup.abortCode (5..16). Slice stages take the timeline step; their last step
// moves the rest. Every byte that does not reach the disk (a full disk) fails
// the stage, so that the run ends as abandoned and is rolled back.
#ifndef KOVRA_STAGES_H
#define KOVRA_STAGES_H

// Steps of the timeline and the number of slices of each copy.
enum {
    PrepareStep = 1,
    StageLastStep = 19,       // StageSlice: steps 2..19
    StageSlices = 18,
    ExpansionOpenStep = 20,
    ExpandLastStep = 60,      // ExpandSlice: steps 21..60
    ExpandSlices = 40,
    ExtractionOpenStep = 61,
    ExtractLastStep = 95,     // ExtractSlice: steps 62..95
    ExtractSlices = 34,
    StartMenuStep = 98,
    UninstallStep = 99,
    LastStep = 100
};

// The bytes that a slice step moves of a copy cut into slices: total / slices
// (unsigned division), and at the range's last step all that remains, which
// is the quotient plus the rest.
inline unsigned long SliceSize(int step, int lastStep, unsigned long slices, unsigned long total,
                               unsigned long remaining)
{
    return step >= lastStep ? remaining : total / slices;
}

// The stages' close functions: each closes what its stage holds open, is
// the only code that does, and may be called any number of times. The
// rollback calls them all before it deletes anything.
void CloseStaging();
void CloseExpansion();
void CloseExtraction();

// A failing stage's end: close (one of the functions above), then set code.
// Returns 0 for the stage to return.
int FailStage(void (*close)(), int code);

// The box text of a folder that cannot be made, also the target page's
// word for a folder that cannot be the target.
extern const char FolderErrorText[];

// Step 1: creates the missing levels of targetPath (abort 5, also for more
// levels than createdLevels holds), the log with its ID record (6), finds,
// loads and sizes the TEMPLATE resource of gSetup.instance (7, 8, 9) and
// creates temp.un_ (10). A failed walk that still allows the log goes on and
// returns 1 with abortCode 5.
int PrepareTarget();
// Steps 2..19: one eighteenth of the resource into temp.un_; step 19 writes
// the rest, closes the file and releases the resource. A short write: 10.
int StageSlice(int step);
// Step 20: temp.un_ through LZ32 (11), temp.uni created (12), expanded size.
int OpenExpansion();
// Steps 21..60: one fortieth of the expansion into temp.uni in chunks of at
// most 10,000 bytes; a short read 13, a short write 12. Step 60 closes both
// and deletes temp.un_; 0 without an abort code when that deletion fails.
int ExpandSlice(int step);
// Step 61: temp.uni as a ResFile archive (14) and its data byte total.
int OpenExtraction();
// Steps 62..95: one thirty-fourth of the data written out as files, each
// logged with NC (and SD for a created folder) when created. A name that
// leaves the target folder, a short read or write, or sizes that do not
// match the data total: 16. Step 95 also creates the empty entries after the
// last data byte, closes the archive and deletes temp.uni; 0 without an
// abort code when that deletion fails.
int ExtractSlice(int step);
// Creates the missing folder levels of a file's path; logs the deepest
// created folder with SD. On failure shows the "Fehler" box and returns 0.
int CreateFileFolders(const char* path);

#endif
