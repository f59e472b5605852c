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

static int IsIniRecordInScope(const char* argument)
{
    char file[LogLineCapacity];
    char section[LogLineCapacity];
    char key[LogLineCapacity];
    if (!LogParseIniFields(argument, file, section, key, sizeof file) || file[0] == '\0' ||
        section[0] == '\0' || key[0] == '\0')
        return 1;
    return IsPlainName(file) && EndsWithFolded(file, ".ini");
}

int RecordInScope(const RecordScope* scope, const char* code, const char* argument)
{
    const char* rest;
    switch (LogCodeOf(code)) {
    case LogCodeNC:
        return EntryNameInsideTarget(argument);
    case LogCodeSD:
        return PathBelowFolder(argument, scope->targetPath);
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
    case LogCodeWC:
        return IsPlainName(argument);
    case LogCodeIN:
        return IsIniRecordInScope(argument);
    }
    return 1;
}
