#include "setup/setup_state.h"

// Zero at program start: numbers 0, flags 0, texts empty, no streams.
SetupState gSetup;
