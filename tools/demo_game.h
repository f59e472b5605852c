// The demo game that the build puts into setup.exe: 311 files whose archive
// and compressed payload have the sizes the setup's own figures are made
// for. The generator reaches both sizes by itself: the intro film takes up
// whatever room the other files leave, and the share of static noise in it
// is tuned until the compressed payload has exactly its size.
#ifndef KOVRA_TOOLS_DEMO_GAME_H
#define KOVRA_TOOLS_DEMO_GAME_H

#include "tools/archive_writer.h"

#include <string>
#include <vector>

enum {
    DemoEntryCount = 311,
    DemoArchiveSize = 14391756,
    DemoCompressedSize = 3724297,
    DemoNameMax = 20
};

struct DemoGameReport {
    uint64_t archiveSize;
    uint64_t compressedSize;
    uint64_t noiseBytes;     // the tuned share of the film
    unsigned seed;           // the film's noise seed that hit the size
    unsigned evaluations;    // compressed sizes tried
};

// Programs to carry instead of the placeholders; an empty one keeps its
// placeholder.
struct DemoPrograms {
    std::vector<unsigned char> game;         // kovra.exe
    std::vector<unsigned char> uninstaller;  // uninst.exe
};

// Makes the entries (data held in memory, in archive order). Fails with a
// message when the other files leave the film no room or the size cannot be
// met.
int DemoGameBuild(std::vector<ArchiveEntry>& entries, std::string& error, DemoGameReport* report,
                  const DemoPrograms* programs = 0);

// The entries before sizing, in archive order: the film last, still empty.
void DemoGameFiles(std::vector<ArchiveEntry>& entries, const DemoPrograms* programs = 0);

// Writes the entries as files below folder, creating sub-folders.
int DemoGameWriteTree(const std::vector<ArchiveEntry>& entries, const std::string& folder,
                      std::string& error);

#endif
