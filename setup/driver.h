// Start-up checks, page loop and ending of a setup run.
#ifndef KOVRA_DRIVER_H
#define KOVRA_DRIVER_H

#include <windows.h>

#define SETUP_CLASS  "SETCLASS"
#define SETUP_TITLE  "Vantorell Setup"

// Fills the platform kind, payload size, Windows folder and default target.
// Returns 1 when the run may go on; otherwise 0 with gSetup.abortCode set.
int RunStartupChecks();

// Shows the pages until one sets PageFinished or the user abandons.
void RunPageLoop(HWND backdrop);

// Closes the log with its PN record, tells the user, rolls back an abort.
void RunEnding(HWND backdrop);
// RunEnding's first part: the log closed with its PN record, the result in
// the run's account; returns the abort code, AbortLogWrite when the log did
// not take its last line.
int CloseRun();

// The install without a window (/S) into folder, or where the target page
// would propose when folder is ""; returns the exit code.
int RunSilentInstall(const char* folder);

// Builds the default target from a ProgramFilesDir value of valueSize bytes
// (not necessarily zero-terminated). Exposed for the tests.
void BuildDefaultTarget(const char* value, DWORD valueSize, char* target, size_t capacity);

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
