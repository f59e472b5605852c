// Placeholder until the uninstall registration is built.
#include "integration/integration.h"
int RegisterUninstall(const char*, const char*, const char*) { return 1; }
int RemoveUninstallEntry(const char*) { return 1; }
