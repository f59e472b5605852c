// Undoing an install log: the setup's rollback after an abandoned run, and
// the uninstaller after a finished one, replay the same records the same way.
// Nothing here reads the setup's global record; the caller names the folders.
#ifndef KOVRA_LOG_REPLAY_H
#define KOVRA_LOG_REPLAY_H

#include "integration/install_log.h"

// What undoing the log needs besides the log: the folders its records are
// undone in, and the ID record's level flags taken back.
struct LogReplay {
    const char* targetPath;   // the target folder, with its closing backslash
    const char* windowsDir;   // the Windows folder, without one
    int createdLevels[MaxCreatedLevels];  // the deepest kept when more are listed
    int levelCount;
    int recordLevels;         // levels the ID record lists
};

// Undoes one record (code, argument); a record outside what setup makes is
// passed over, as is PN. 0 when the replay must stop.
int UndoLogRecord(LogReplay* replay, const char* code, const char* argument);

// Reads the log at logPath once and undoes its records from the last line
// back. 0 when the log cannot be read, is empty, or a record stops the
// replay; the log file itself is left where it is.
int UndoLogRecords(LogReplay* replay, const char* logPath);

// Removes the folder levels of targetPath that the ID record marks as
// created, deepest first, each only if empty. 1 when none of them is left.
int RemoveCreatedLevels(const LogReplay* replay);

// The undo of IS: closes Display Properties and switches the screen saver off.
int ResetScreenSaver();

// The undo of IN "[file][section][key]": deletes that key. 0 when the system
// refuses, or when the record does not name all three (nothing is written).
int DeleteIniEntry(const char* argument);

// Undoes an abandoned run: closes every stage, deletes the temporary files,
// replays the log from its last line back (gSetup.rollback), then deletes
// the log and the folder levels this run created. Returns 0 when it stopped
// early (the log then stays).
int RunRollback();

#endif
