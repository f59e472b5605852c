// Whole files in and out, for tests and benchmarks on either side, as
// std::string or std::vector<unsigned char>.
#ifndef KOVRA_TESTS_FILE_BYTES_H
#define KOVRA_TESTS_FILE_BYTES_H

#include <stdio.h>

#include <string>
#include <vector>

template <class Bytes>
inline bool ReadWhole(const std::string& path, Bytes& out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out.clear();
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        out.insert(out.end(), chunk, chunk + got);
    fclose(f);
    return true;
}

inline bool WriteWhole(const std::string& path, const void* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

inline bool WriteWhole(const std::string& path, const std::string& bytes)
{
    return WriteWhole(path, bytes.data(), bytes.size());
}

inline bool WriteWhole(const std::string& path, const std::vector<unsigned char>& bytes)
{
    return WriteWhole(path, bytes.data(), bytes.size());
}

#endif
