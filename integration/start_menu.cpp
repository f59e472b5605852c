// Placeholder until the Start-menu entries are built.
#include "integration/integration.h"
int InstallStartMenuEntries() { return 1; }
int CreateStartMenuFolder(const char*) { return 0; }
int CreateShortcut(const char*, const char*) { return 0; }
int SendProgmanCommand(const char*) { return 0; }
int CreateProgramGroup(const char*) { return 0; }
int DeleteProgramGroup(const char*) { return 0; }
int AddProgramItem(const char*, const char*, const char*) { return 0; }
