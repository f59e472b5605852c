// Two expanders of compress/expand files written by others, to prove that
// our files read the same everywhere: libmspack's SZDD decompressor (run in
// memory) and the msexpand command.
#ifndef KOVRA_TOOLS_REFERENCE_EXPAND_H
#define KOVRA_TOOLS_REFERENCE_EXPAND_H

#include <stddef.h>

#include <string>
#include <vector>

// 1 when libmspack accepts the file and expands it.
int MspackExpand(const unsigned char* data, size_t size, std::vector<unsigned char>& out);

// Runs a command with its standard input from inputPath and collects its
// standard output; 1 when it ran and exited with 0.
int RunFiltered(const std::vector<std::string>& argv, const std::string& inputPath,
                std::vector<unsigned char>& out);

// msexpand reading the file at path from its standard input.
int MsexpandFile(const std::string& path, std::vector<unsigned char>& out);

#endif
