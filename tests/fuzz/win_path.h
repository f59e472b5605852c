// A second opinion on Windows paths for the fuzzers' properties, written
// apart from the code under test: which part names a device, and where a
// path leads once Windows has resolved it.
#ifndef KOVRA_FUZZ_WIN_PATH_H
#define KOVRA_FUZZ_WIN_PATH_H

#include <string>
#include <vector>

static inline std::string FoldedAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

// Devices listed again: the stem before the first dot, blanks before it
// dropped, without regard to case.
static inline int DeviceByList(std::string part)
{
    part = part.substr(0, part.find('.'));
    while (!part.empty() && part.back() == ' ')
        part.pop_back();
    part = FoldedAscii(part);
    static const char* const devices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* d : devices)
        if (part == d)
            return 1;
    static const char digits[] = "0123456789\xB9\xB2\xB3";
    for (const char* d = digits; *d; ++d)
        if (part == std::string("com") + *d || part == std::string("lpt") + *d)
            return 1;
    return 0;
}

// Resolves an absolute path ("X:\...") as Windows would at worst: either
// separator, doubled separators collapsed, trailing dots and blanks dropped
// from every part, "." passed over, and a part of only dots and blanks
// taken as "..". Fills parts (folded, the drive first) and returns 1; 0
// for a path without a drive and root, one that names a device or a stream,
// or one that climbs above its drive.
static inline int ResolvePath(const std::string& path, std::vector<std::string>* parts)
{
    parts->clear();
    if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/'))
        return 0;
    parts->push_back(FoldedAscii(path.substr(0, 2)));
    std::string part;
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\' && path[i] != '/') {
            part += path[i];
            continue;
        }
        if (part.empty())
            continue;
        if (part.find(':') != std::string::npos || DeviceByList(part))
            return 0;
        std::string kept = part;
        while (!kept.empty() && (kept.back() == '.' || kept.back() == ' '))
            kept.pop_back();
        if (kept.empty() && part != ".") {
            if (parts->size() == 1)
                return 0;
            parts->pop_back();
        } else if (!kept.empty()) {
            parts->push_back(FoldedAscii(kept));
        }
        part.clear();
    }
    return 1;
}

// 1 when path resolves strictly below folder.
static inline int ResolvesBelow(const std::string& path, const std::string& folder)
{
    std::vector<std::string> p, f;
    if (!ResolvePath(path, &p) || !ResolvePath(folder, &f) || p.size() <= f.size())
        return 0;
    for (size_t i = 0; i < f.size(); ++i)
        if (p[i] != f[i])
            return 0;
    return 1;
}

#endif
