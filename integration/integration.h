// Shell registration and the rollback.
//
// Each operation returns 1 on success and 0 on failure. The install stages
// (InstallStartMenuEntries at step 98, RegisterUninstall at step 99) set no
// abort code: the timeline goes on whatever they return.
#ifndef KOVRA_INTEGRATION_H
#define KOVRA_INTEGRATION_H

// Start-menu folder and two shortcuts on platforms 1 and 2 (records CI, CL,
// CL); a Program Manager group with the uninstaller on platform 0 (PG).
// Creates and logs nothing and returns 0 when the shell's "Programs" folder
// cannot be read.
int InstallStartMenuEntries();                       // step 98
// Creates Programs\name (an existing folder is used as it is) and logs CI.
int CreateStartMenuFolder(const char* name);
// Saves Programs\linkName.lnk pointing at target, working folder the target's
// folder with its backslash; logs CL even when the save itself failed.
int CreateShortcut(const char* linkName, const char* target);

// One DDE execute to service and topic PROGMAN, 1000 ms at most. Returns 1
// when the server accepted it. Each call has its own DDE registration.
int SendProgmanCommand(const char* command);
int CreateProgramGroup(const char* group);
int DeleteProgramGroup(const char* group);
// ShowGroup (result unused), then AddItem; returns the AddItem result.
int AddProgramItem(const char* group, const char* commandLine, const char* itemName);

// Replaces HKLM ...\Uninstall\keyName as a whole with DisplayName and
// UninstallString (targetPath + programFile, unquoted), then logs RK.
// Does nothing and returns 1 on platform 0.
int RegisterUninstall(const char* keyName, const char* displayText, const char* programFile);  // step 99
// Deletes ...\Uninstall\keyName; no key is left whether or not it existed.
int RemoveUninstallEntry(const char* keyName);

// Undoes an abandoned run: the temporary files, then the log from its last
// line back, then the log itself and the folder levels this run created.
// Returns 0 when it stopped early (the log then stays).
int RunRollback();
// Reads line n (from 1) of the reopened log into the rollback's line buffer;
// counts linesLeft down. 0 when the log ends before line n.
int FetchLogLine(int n);
// The undo of IS: closes Display Properties and switches the screen saver off.
int ResetScreenSaver();
// The undo of IN "[file][section][key]": deletes that key. 0 when the system
// refuses, or when the record does not name all three (nothing is written).
int DeleteIniEntry(const char* argument);

#endif
