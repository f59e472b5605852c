// Payloads for the Windows tests, made by the tools' archive writer and SZDD
// compressor, and filler bytes to put in them.
#ifndef KOVRA_TESTS_PAYLOADS_H
#define KOVRA_TESTS_PAYLOADS_H

#include <stddef.h>

#include <string>
#include <vector>

#include "files.h"

namespace fx {

struct Entry {
    std::string name;
    Bytes data;
};

// The archive the payload builder makes of entries, in the order given.
// Empty, with the writer's message on stderr, when it refuses them.
Bytes Archive(const std::vector<Entry>& entries);
// The same with names that the writer refuses (those the setup must refuse
// as well): each is put into the directory after writing.
Bytes ArchiveAnyNames(const std::vector<Entry>& entries);

// plain compressed as the payload builder compresses it.
Bytes Szdd(const Bytes& plain);
// SZDD of literals only, a flag byte 0xFF before every 8 bytes: the
// compressor picks matches, and a test that cuts the stream short needs
// every compressed byte to stand for a known expanded one.
Bytes SzddLiterals(const Bytes& plain);

// Deterministic filler bytes, different for each seed.
Bytes Filler(size_t size, unsigned int seed);

}  // namespace fx

#endif
