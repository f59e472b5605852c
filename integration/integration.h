// Shell registration: the Start menu, Program Manager, the uninstall entry.
//
// Each operation returns 1 on success and 0 on failure. The install stages
// (InstallStartMenuEntries at step 98, RegisterUninstall at step 99) set no
// abort code for what the shell refuses: the timeline goes on whatever they
// return. A record that the log does not take is another matter: a change
// the log does not name could never be undone, so it ends the run
// (AbortLogWrite).
#ifndef KOVRA_INTEGRATION_H
#define KOVRA_INTEGRATION_H

#include <windows.h>

// Start-menu folder and two shortcuts on platforms 1 and 2 (records CI, CL,
// CL); a Program Manager group with the uninstaller on platform 0 (PG).
// Creates and logs nothing and returns 0 when the shell's "Programs" folder
// cannot be read.
int InstallStartMenuEntries();                       // step 98
enum { ProgramsCapacity = 260 };  // the shell's MAX_PATH

// Reads the user's Programs folder (HKCU Shell Folders "Programs") into
// folder (capacity bytes) with the key opened for access; 0 when the value is
// missing, not text, empty or too long.
int ReadProgramsFolder(REGSAM access, char* folder, size_t capacity);
// The Programs folder of this machine that path lies below, into folder
// (capacity bytes): the user's own, or the one at the same place in another
// user's profile (the profile list of NT), for a removal that someone else
// than the installing user starts. 0 when path lies below none of them.
int ProgramsFolderHolding(const char* path, char* folder, size_t capacity);
// Creates Programs\name (an existing folder is used as it is) and logs CI.
int CreateStartMenuFolder(const char* name);
// Saves Programs\linkName.lnk pointing at target, working folder the target's
// folder with its backslash; logs CL even when the save itself failed.
int CreateShortcut(const char* linkName, const char* target);
// 0 when the shortcut at linkPath points outside folder (a path with its
// closing backslash): another install has saved its own over ours. 1 when it
// points inside, or cannot be read as a shortcut (COM initialised or not).
int ShortcutPointsInto(const char* linkPath, const char* folder);

// One DDE execute to service and topic PROGMAN, 1000 ms at most. Returns 1
// when the server accepted it. Each call has its own DDE registration.
int SendProgmanCommand(const char* command);
int CreateProgramGroup(const char* group);
int DeleteProgramGroup(const char* group);
// 0 when Program Manager describes group with an item whose command line
// lies outside folder (a path with its closing backslash): another install
// has made the group anew. 1 when every item lies inside, or the group
// cannot be read.
int ProgramGroupPointsInto(const char* group, const char* folder);
// ShowGroup (result unused), then AddItem; returns the AddItem result.
int AddProgramItem(const char* group, const char* commandLine, const char* itemName);

// HKLM's key of the installed Windows: ProgramFilesDir, and the parent of
// Uninstall.
extern const char CurrentVersionKey[];

// Replaces HKLM ...\Uninstall\keyName as a whole with DisplayName and
// UninstallString (targetPath + programFile, in quotation marks when it
// holds a blank), then logs RK.
// Does nothing and returns 1 on platform 0.
int RegisterUninstall(const char* keyName, const char* displayText, const char* programFile);  // step 99
// 1 when ...\Uninstall\keyName exists and its UninstallString names
// folder + program, quoted or not (case aside); the key is not created.
int UninstallEntryNames(const char* keyName, const char* folder, const char* program);
// Deletes ...\Uninstall\keyName; no key is left whether or not it existed.
int RemoveUninstallEntry(const char* keyName);

#endif
