// Inputs at the corners of the compress/expand format: nothing, single
// bytes, the ring's space fill, runs that overlap themselves, matches at
// exactly the window's reach and just beyond it, lengths around 18, flag
// groups that end exactly. The host tests, the LZ32 test under Wine and the
// fuzzers' seeds all use this one list.
#ifndef KOVRA_TOOLS_SZDD_CASES_H
#define KOVRA_TOOLS_SZDD_CASES_H

#include <string>
#include <vector>

struct SzddCase {
    std::string name;
    std::vector<unsigned char> data;
};

std::vector<SzddCase> SzddEdgeCases();

#endif
