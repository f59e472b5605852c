// Archive entry names on arbitrary bytes. What the setup accepts, joined to
// a target folder and resolved as Windows resolves a path (separators, "."
// and "..", trailing dots and blanks dropped from every part), must stay
// inside that folder, at most one folder below it, with no part that names
// a device. What the builder accepts, the setup must accept as well.
#include "engine/entry_name.h"
#include "tools/archive_writer.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

static char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// Devices listed again, by another way than the code under test.
static int DeviceByList(std::string part)
{
    part = part.substr(0, part.find('.'));
    while (!part.empty() && part.back() == ' ')
        part.pop_back();
    for (char& c : part)
        c = Lower(c);
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string name((const char*)data, size);
    name = name.substr(0, name.find('\0'));
    int inside = EntryNameInsideTarget(name.c_str());
    int reserved = EntryNameReserved(name.c_str());
    if (EntryPartIsDevice(name.data(), name.size()) != DeviceByList(name))
        abort();

    if (inside) {
        // "C:\T" + "\" + name, resolved.
        std::vector<std::string> path = {"C:", "T"};
        std::string part;
        for (size_t i = 0; i <= name.size(); ++i) {
            if (i < name.size() && name[i] != '\\' && name[i] != '/') {
                part += name[i];
                continue;
            }
            if (part.find(':') != std::string::npos || DeviceByList(part))
                abort();
            while (!part.empty() && (part.back() == '.' || part.back() == ' '))
                part.pop_back();
            if (part.empty())
                abort();  // ".", "...", " " or a doubled, leading or trailing separator
            path.push_back(part);
            part.clear();
        }
        if (path.size() < 3 || path.size() > 3 + (size_t)EntryMaxFolders)
            abort();
    }
    if (reserved && name.find_first_of("\\/") != std::string::npos)
        abort();  // only the target folder's own files are reserved

    // The builder is the stricter of the two.
    if (name.size() <= ArchiveNameMax) {
        std::vector<ArchiveEntry> one = {ArchiveHeldEntry(name, "")};
        std::string error;
        if (ArchiveCheckEntries(one, error) && (!inside || reserved))
            abort();
    }
    return 0;
}
