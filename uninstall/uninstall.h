// The uninstaller: removes the game by undoing the install log that setup
// left in the target folder.
//
// The program the user starts lives in that folder and cannot delete its own
// file, so it hands the work to a copy of itself in the temporary folder:
// the copy undoes the log, reports the result, waits for the first process
// to end, then deletes uninst.exe and the emptied folders.
#ifndef KOVRA_UNINSTALL_H
#define KOVRA_UNINSTALL_H

#include <windows.h>

#include "undo/log_replay.h"
#include "setup/setup_state.h"

// The exit codes; the first process ends with the one the copy reports.
enum UninstallResult {
    UninstallComplete = 0,    // nothing of the game is left
    UninstallUnchanged = 1,   // no log, or the user said "Nein"
    UninstallFolderKept = 2,  // the game is gone; its folder holds files of the user's
    UninstallStopped = 3,     // the log is damaged or the hand-over not genuine: nothing changed
    UninstallInUse = 4        // files could not go; the log names them, the entry stays
};

struct Removal {
    char targetPath[TextCapacity];   // the folder that holds the log, with its backslash
    char windowsDir[TextCapacity];
    LogReplay replay;
};

// Fills removal for targetPath. 0 when the path does not fit or has no
// closing backslash.
int PrepareRemoval(Removal* removal, const char* targetPath);
// 1 when the target folder holds the install log.
int LogPresent(const Removal* removal);
// Undoes the log's records from the last back, then deletes the temporary
// payload files and the log. Leaves the uninstaller's own file and the
// folder levels for FinishRemoval. Returns UninstallComplete,
// UninstallFolderKept, UninstallStopped (a damaged log: nothing changed) or
// UninstallInUse (what is left stays in the log, with the Start menu and
// the uninstall entry).
int RemoveGame(Removal* removal);
// Deletes uninst.exe in the target folder, gives a file that it took the
// place of its name back, and removes the folder levels that setup created,
// each only if empty, with retries for a few seconds; what is still there
// then goes (or comes back) when Windows next starts.
void FinishRemoval(Removal* removal);

// Copies this program to the temporary folder and starts the copy on
// removal's target. Returns 1 with the copy's result in *result, 0 when no
// copy could be started (nothing has been changed then).
int HandOffToCopy(const Removal* removal, DWORD* result);
// The arguments after the hand-over switch when the command line is one
// that HandOffToCopy made, else NULL.
const char* CopyArguments(const char* arguments);
// The copy's side, on what CopyArguments returned. Returns the exit code.
int RunAsCopy(const char* arguments);
// Has path deleted when Windows next starts.
void DeleteAtRestart(const char* path);
// Has path renamed to newPath when Windows next starts, after what was
// marked before; newPath must exist now (Windows 9x takes short names).
void MoveAtRestart(const char* path, const char* newPath);

#endif
