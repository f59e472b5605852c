// The record check. Every test here errs on the side of passing a record
// over: a record refused by mistake leaves a file behind, a record trusted
// by mistake deletes someone else's.
#include "undo/record_check.h"

#include <string.h>

#include "engine/entry_name.h"
#include "integration/install_log.h"
#include "support/product_names.h"

static char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// Length of prefix when text starts with it (ASCII case aside), else -1.
static int StartsWith(const char* text, const char* prefix)
{
    int i = 0;
    for (; prefix[i] != '\0'; ++i)
        if (FoldAscii(text[i]) != FoldAscii(prefix[i]))
            return -1;
    return i;
}

static int EqualsFolded(const char* a, const char* b)
{
    int length = StartsWith(a, b);
    return length >= 0 && a[length] == '\0';
}

static int EndsWithFolded(const char* text, const char* ending)
{
    size_t length = strlen(text);
    size_t tail = strlen(ending);
    return length > tail && EqualsFolded(text + length - tail, ending);
}

// One part: a name the archive test accepts, without a separator.
static int IsPlainName(const char* name)
{
    return strchr(name, '\\') == NULL && strchr(name, '/') == NULL && EntryNameInsideTarget(name);
}

int PathBelowFolder(const char* path, const char* folder)
{
    if (folder == NULL || folder[0] == '\0')
        return 0;
    int length = StartsWith(path, folder);
    if (length < 0)
        return 0;
    // The folder's closing backslash, given or not, is the separator.
    if (folder[length - 1] != '\\') {
        if (path[length] != '\\')
            return 0;
        ++length;
    }
    return EntryNameInsideTarget(path + length);
}

// Programs\<product>\ then the rest, or NULL.
static const char* AfterProductFolder(const RecordScope* scope, const char* path)
{
    if (scope->programsDir == NULL || scope->programsDir[0] == '\0')
        return NULL;
    int length = StartsWith(path, scope->programsDir);
    if (length < 0 || path[length] != '\\')
        return NULL;
    path += length + 1;
    length = StartsWith(path, PRODUCT_NAME);
    return length < 0 ? NULL : path + length;
}

const char* KeptRecordName(const char* argument)
{
    // "~KV" five digits ".ALT", exactly as the extraction writes it.
    static const char Form[] = "~KV#####.ALT";
    for (int i = 0; i < KEPT_NAME_LENGTH; ++i) {
        char c = argument[i];
        if (Form[i] == '#' ? (c < '0' || c > '9') : c != Form[i])
            return NULL;
    }
    return argument[KEPT_NAME_LENGTH] == ' ' ? argument + KEPT_NAME_LENGTH + 1 : NULL;
}

int KeptRecordPath(const char* argument, char* path, size_t capacity)
{
    const char* name = KeptRecordName(argument);
    if (!name)
        return 0;
    size_t folder = 0;
    for (size_t i = 0; name[i] != '\0'; ++i)
        if (name[i] == '\\')
            folder = i + 1;
    if (folder + KEPT_NAME_LENGTH + 1 > capacity)
        return 0;
    memcpy(path, name, folder);
    memcpy(path + folder, argument, KEPT_NAME_LENGTH);
    path[folder + KEPT_NAME_LENGTH] = '\0';
    return 1;
}

int RecordInScope(const RecordScope* scope, const char* code, const char* argument)
{
    const char* rest;
    switch (LogCodeOf(code)) {
    case LogCodeNC:
        return EntryNameInsideTarget(argument);
    case LogCodeSD:
        return PathBelowFolder(argument, scope->targetPath);
    case LogCodeKF:
        rest = KeptRecordName(argument);
        return rest != NULL && EntryNameInsideTarget(rest);
    case LogCodeCI:
        rest = AfterProductFolder(scope, argument);
        return rest != NULL && rest[0] == '\0';
    case LogCodeCL:
        rest = AfterProductFolder(scope, argument);
        return rest != NULL && rest[0] == '\\' && IsPlainName(rest + 1) && EndsWithFolded(rest + 1, ".lnk");
    case LogCodePG:
        return strcmp(argument, PRODUCT_NAME) == 0;
    case LogCodeRK:
        return argument[0] != '\0' && strchr(argument, '\\') == NULL;
    case LogCodeID:
    case LogCodePN:
        return 1;
    }
    return 0;
}

// "n f1 ... fn": digits only, single blanks, flags 0 or 1.
static int LevelsWellFormed(const char* argument)
{
    int count = 0;
    const char* p = argument;
    if (*p < '0' || *p > '9')
        return 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        count = count * 10 + (*p - '0');
        if (count > LogMaxLevels)
            return 0;
    }
    for (int i = 0; i < count; ++i, p += 2)
        if (p[0] != ' ' || (p[1] != '0' && p[1] != '1'))
            return 0;
    return *p == '\0';
}

int LogIsSound(const char* text, size_t size)
{
    size_t start = 0;
    int lines = 0;
    int closed = 0;
    while (start < size) {
        const char* line = text + start;
        const char* end = (const char*)memchr(line, '\n', size - start);
        if (!end || closed)
            return 0;
        size_t length = (size_t)(end - line) + 1;
        // The reader's line bound; a zero byte would hide the rest of a line.
        if (length > LogLineCapacity - 1 || memchr(line, '\0', length) || length < 5 || line[2] != ' ')
            return 0;
        char code[3] = { line[0], line[1], '\0' };
        char argument[LogLineCapacity];
        memcpy(argument, line + 3, length - 4);
        argument[length - 4] = '\0';
        switch (LogCodeOf(code)) {
        case LogCodeID:
            if (lines != 0 || !LevelsWellFormed(argument))
                return 0;
            break;
        case LogCodePN:
            if (strcmp(argument, PRODUCT_NAME) != 0)
                return 0;
            closed = 1;
            break;
        case LogCodeNC:
        case LogCodeSD:
        case LogCodeKF:
        case LogCodeCI:
        case LogCodeCL:
        case LogCodePG:
        case LogCodeRK:
            if (lines == 0)
                return 0;
            break;
        default:
            return 0;
        }
        ++lines;
        start += length;
    }
    return lines > 0;
}
