// The archive is untrusted: a name such as "..\..\x" or "C:\x" would put a
// file anywhere the user can write. Windows drops trailing dots and blanks
// from a path part, so "... " works like ".." and is refused as well.
#include "engine/entry_name.h"

#include <stddef.h>

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

static char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

int EntryNameReserved(const char* name)
{
    static const char* const reserved[] = { "deinst.log", "temp.un_", "temp.uni" };
    if (!name)
        return 0;
    size_t length = 0;
    while (name[length] != '\0')
        ++length;
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
        --length;
    for (unsigned int r = 0; r < sizeof reserved / sizeof reserved[0]; ++r) {
        const char* own = reserved[r];
        size_t i = 0;
        while (i < length && own[i] != '\0' && FoldAscii(name[i]) == own[i])
            ++i;
        if (i == length && own[i] == '\0')
            return 1;
    }
    return 0;
}
