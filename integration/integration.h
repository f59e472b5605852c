// Shell registration and the rollback.
#ifndef KOVRA_INTEGRATION_H
#define KOVRA_INTEGRATION_H

int InstallStartMenuEntries();                       // step 98
int CreateStartMenuFolder(const char* name);
int CreateShortcut(const char* linkName, const char* target);
int SendProgmanCommand(const char* command);
int CreateProgramGroup(const char* group);
int DeleteProgramGroup(const char* group);
int AddProgramItem(const char* group, const char* commandLine, const char* itemName);

int RegisterUninstall(const char* keyName, const char* displayText, const char* programFile);  // step 99
int RemoveUninstallEntry(const char* keyName);

int RunRollback();

#endif
