// The archive is untrusted: a name such as "..\..\x" or "C:\x" would put a
// file anywhere the user can write. Windows drops trailing dots and blanks
// from a path part, so "... " works like ".." and is refused as well.
#include "engine/entry_name.h"

static int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

int EntryNameInsideTarget(const char* name)
{
    if (!name || name[0] == '\0')
        return 0;
    const char* part = name;
    for (;;) {
        const char* end = part;
        int onlyDots = 1;
        while (*end != '\0' && !IsSeparator(*end)) {
            if (*end == ':')
                return 0;
            if (*end != '.' && *end != ' ')
                onlyDots = 0;
            ++end;
        }
        if (end == part || onlyDots)
            return 0;
        if (*end == '\0')
            return 1;
        part = end + 1;
    }
}
