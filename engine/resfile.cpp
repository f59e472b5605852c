// Placeholder until the archive reader is built.
#include "engine/resfile.h"
ResFileReader* ResFileOpen(const char*) { return 0; }
void ResFileClose() {}
FILE* ResFileStream(ResFileReader*) { return 0; }
unsigned int ResFileCount(ResFileReader*) { return 0; }
const char* ResFileEntryName(ResFileReader*, unsigned int) { return ""; }
unsigned int ResFileFindOffset(ResFileReader*, const char*) { return 0; }
unsigned int ResFileFindSize(ResFileReader*, const char*) { return 0; }
