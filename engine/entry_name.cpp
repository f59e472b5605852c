// The archive is untrusted: a name such as "..\..\x" or "C:\x" would put a
// file anywhere the user can write, and "COM1" or "con.txt" would send its
// bytes to a device. Windows drops trailing dots and blanks from a path
// part, so "... " works like ".." and is refused as well.
#include "engine/entry_name.h"

#include <stddef.h>

#include "support/product_names.h"

static int IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// Whether the part from part to end names a DOS device, whatever follows
// its first dot: CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9.
static int IsDeviceName(const char* part, const char* end)
{
    const char* stem = part;
    while (stem < end && *stem != '.')
        ++stem;
    while (stem > part && stem[-1] == ' ')
        --stem;
    size_t length = (size_t)(stem - part);
    char lower[5] = { 0 };
    if (length < 3 || length > 4)
        return 0;
    for (size_t i = 0; i < length; ++i)
        lower[i] = FoldAscii(part[i]);
    static const char* const plain[] = { "con", "prn", "aux", "nul" };
    for (unsigned int i = 0; i < sizeof plain / sizeof plain[0]; ++i)
        if (length == 3 && lower[0] == plain[i][0] && lower[1] == plain[i][1] && lower[2] == plain[i][2])
            return 1;
    return length == 4 && ((lower[0] == 'c' && lower[1] == 'o' && lower[2] == 'm') ||
                           (lower[0] == 'l' && lower[1] == 'p' && lower[2] == 't')) &&
           lower[3] >= '1' && lower[3] <= '9';
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
        if (end == part || onlyDots || IsDeviceName(part, end))
            return 0;
        if (*end == '\0')
            return 1;
        part = end + 1;
    }
}

int EntryNameReserved(const char* name)
{
    static const char* const reserved[] = { LOG_FILE_NAME, STAGED_FILE_NAME, ARCHIVE_FILE_NAME };
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
