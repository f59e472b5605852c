// The archive is untrusted: a name such as "..\..\x" or "C:\x" would put a
// file anywhere the user can write, and "COM1" or "con.txt" would send its
// bytes to a device, and "a\b\c" would make two folder levels of which the
// log records one. Windows drops trailing dots and blanks from a path
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

// Compares the stem with a device name given in lower case.
static int StemIs(const char* stem, size_t length, const char* device)
{
    size_t i = 0;
    while (i < length && device[i] != '\0' && FoldAscii(stem[i]) == device[i])
        ++i;
    return i == length && device[i] == '\0';
}

int EntryPartIsDevice(const char* part, size_t length)
{
    size_t stem = 0;
    while (stem < length && part[stem] != '.')
        ++stem;
    while (stem > 0 && part[stem - 1] == ' ')
        --stem;
    static const char plain[][8] = { "con", "prn", "aux", "nul", "conin$", "conout$" };
    for (unsigned int i = 0; i < sizeof plain / sizeof plain[0]; ++i)
        if (StemIs(part, stem, plain[i]))
            return 1;
    if (stem != 4 || !(StemIs(part, 3, "com") || StemIs(part, 3, "lpt")))
        return 0;
    unsigned char digit = (unsigned char)part[3];
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

int EntryNameInsideTarget(const char* name)
{
    if (!name || name[0] == '\0')
        return 0;
    const char* part = name;
    int folders = 0;
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
        if (end == part || onlyDots || EntryPartIsDevice(part, (size_t)(end - part)))
            return 0;
        if (*end == '\0')
            return 1;
        if (++folders > EntryMaxFolders)
            return 0;
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
