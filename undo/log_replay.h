// Undoing an install log: the setup's rollback after an abandoned run, and
// the uninstaller after a finished one, check and replay the same records the
// same way. Nothing here reads the setup's global record but RunRollback;
// the caller names the target folder.
#ifndef KOVRA_LOG_REPLAY_H
#define KOVRA_LOG_REPLAY_H

#include <stddef.h>

#include "integration/install_log.h"
#include "support/product_names.h"

// What undoing the log needs besides the log: the folder its records are
// undone in, and the ID record's level flags taken back.
struct LogReplay {
    const char* targetPath;   // the target folder, with its closing backslash
    const char* ownProgram;   // an NC name left to the caller (the running
                              // uninstaller), or NULL
    // The kept name (KF) of the file that ownProgram took the place of: the
    // caller gives it back once its own file is gone. "" for none.
    char ownKept[KEPT_NAME_LENGTH + 1];
    int createdLevels[MaxCreatedLevels];  // the deepest kept when more are listed
    int levelCount;
    int recordLevels;         // levels the ID record lists
    int linkedLevel;          // createdLevels index of the shallowest created
                              // level that is now a link, or -1
};

// The orders of undo: the rollback's, strictly from the last line back; and
// the uninstaller's, which takes files and folders first, then the Start
// menu, then the uninstall entry, so that a removal that stops short keeps
// the way to finish it.
enum ReplayOrder { ReplayBackward, ReplayByKind };

enum ReplayResult {
    ReplayDamaged = 0,   // not a log of the setup's (LogIsSound): nothing done
    ReplayDone = 1,      // every record undone or passed over
    ReplayLeft = 2       // some objects are still there; see UndoLog
};

// Checks text[0, *size) (a log with LF line ends) as a whole, then undoes its
// records in the order given. By kind, a group is undone only when nothing of
// the groups before it is left. A record is passed over when it names what
// setup does not make or its path runs through a link (reparse point); a
// link that is itself the object goes as the link only. Files marked
// read-only are deleted all the same. A kept file (KF) gets its name back
// once the game's file has gone; one that is no longer there is passed over. On ReplayLeft, text[0, *size) holds
// the log of what is still to undo: the ID line, the records left, the PN
// line if there was one.
int UndoLog(LogReplay* replay, char* text, size_t* size, ReplayOrder order);

// The log at logPath in one fixed block, CR LF made LF, closed by a zero
// byte; NULL when it cannot be read. Free it with GlobalFree.
char* LoadLog(const char* logPath, size_t* size);
// Replaces the log at logPath by text[0, size) (LF made CR LF): written to a
// new file beside it, then moved over it, so that there is always a whole
// log. 0 when the old log stays.
int ReplaceLog(const char* logPath, const char* text, size_t size);

// Removes the folder levels of targetPath that the ID record marks as
// created, deepest first, each only if empty; a level that is now a link
// goes as the link, and nothing below it is touched. 1 when none of them is
// left.
int RemoveCreatedLevels(const LogReplay* replay);
// Takes the flags of the target path's first listed levels (1: created),
// shallowest first, as an ID record gives them.
void ReplaySetLevels(LogReplay* replay, const int* flags, int listed);
// The created level k (an index of createdLevels) as a path without a
// closing backslash; 0 when it does not fit or the record does not describe
// targetPath.
int CreatedLevelPath(const LogReplay* replay, int k, char* path, size_t capacity);

// Undoes an abandoned run: closes every stage, deletes the temporary files,
// undoes the lines this run wrote (gSetup.log's own copy, never the file)
// from the last back, then deletes the log and the folder levels this run
// created. Returns 0 when it stopped early: the log then stays, holding what
// is left to undo.
int RunRollback();

#endif
