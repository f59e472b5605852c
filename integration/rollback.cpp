// Placeholder until the rollback is built.
#include "integration/integration.h"
int RunRollback() { return 1; }
