// Archive entry names on arbitrary bytes. What the setup accepts, joined to
// a target folder and resolved as Windows resolves a path (separators, "."
// and "..", trailing dots and blanks dropped from every part), must stay
// inside that folder, at most one folder below it, with no part that names
// a device. What the builder accepts, the setup must accept as well.
#include "engine/entry_name.h"
#include "tools/archive_writer.h"
#include "tests/fuzz/win_path.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string name((const char*)data, size);
    name = name.substr(0, name.find('\0'));
    int inside = EntryNameInsideTarget(name.c_str());
    int reserved = EntryNameReserved(name.c_str());
    if (EntryPartIsDevice(name.data(), name.size()) != DeviceByList(name))
        abort();

    if (inside) {
        // Joined to a folder and resolved: below it, at most one folder deep,
        // and no part dropped on the way (".", "...", doubled separators).
        std::vector<std::string> parts;
        if (!ResolvesBelow("C:\\T\\" + name, "C:\\T") || !ResolvePath("C:\\T\\" + name, &parts))
            abort();
        size_t named = 1;
        for (char c : name)
            named += c == '\\' || c == '/';
        if (parts.size() != 2 + named || named > 1 + (size_t)EntryMaxFolders)
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
