#include "support/command_line.h"

#include <windows.h>

#include "support/bounded.h"

const char* CommandArguments(const char* self)
{
    const char* line = GetCommandLineA();
    if (*line == '"') {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line)
            ++line;
    } else {
        int length = lstrlenA(self);
        char start[520];
        CopyText(start, (size_t)length + 1 <= sizeof start ? (size_t)length + 1 : sizeof start, line);
        if (lstrcmpiA(start, self) == 0 && (line[length] == ' ' || line[length] == '\0'))
            line += length;
        else
            while (*line && *line != ' ' && *line != '\t')
                ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Length of the switch name when text starts with it (ASCII case aside),
// followed by what may end it; else 0.
static size_t Switch(const char* text, const char* name, int takesValue)
{
    size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
        if (c != name[i])
            return 0;
    }
    return takesValue || text[i] == '\0' || text[i] == '"' || IsBlank(text[i]) ? i : 0;
}

// Copies text[0, length) into value; 0 when it is empty or does not fit.
static int TakeValue(char* value, size_t capacity, const char* text, size_t length)
{
    if (length == 0 || length >= capacity)
        return 0;
    CopyText(value, length + 1, text);
    return 1;
}

// A switch may stand in quotation marks as a whole ("/D=C:\Spiele Neu", as
// a program that quotes every argument with a blank passes it), or only its
// value may (/D="C:\Spiele Neu").
int ParseSetupOptions(const char* arguments, SetupOptions* options)
{
    ZeroMemory(options, sizeof *options);
    const char* p = arguments;
    for (;;) {
        while (IsBlank(*p))
            ++p;
        if (*p == '\0')
            return 1;
        int quoted = *p == '"';
        p += quoted;
        size_t length;
        if ((length = Switch(p, "/S", 0)) != 0) {
            options->silent = 1;
            p += length;
        } else if ((length = Switch(p, "/?", 0)) != 0) {
            options->help = 1;
            p += length;
        } else if ((length = Switch(p, "/LOG=", 1)) != 0) {
            p += length;
            int valueQuoted = !quoted && *p == '"';
            p += valueQuoted;
            const char* end = p;
            while (*end && (quoted || valueQuoted ? *end != '"' : !IsBlank(*end)))
                ++end;
            if (!TakeValue(options->reportPath, sizeof options->reportPath, p, (size_t)(end - p)))
                break;
            p = end;
            quoted = quoted || valueQuoted;
        } else if ((length = Switch(p, "/D=", 1)) != 0) {
            // The rest of the line, blanks included.
            p += length;
            size_t end = (size_t)lstrlenA(p);
            while (end > 0 && IsBlank(p[end - 1]))
                --end;
            if (!quoted && *p == '"') {
                ++p;
                --end;
                quoted = 1;
            }
            if (quoted) {
                if (end == 0 || p[end - 1] != '"')
                    break;
                --end;
            }
            if (!TakeValue(options->folder, sizeof options->folder, p, end))
                break;
            return 1;
        } else {
            break;
        }
        // A quoted switch ends with its quotation mark.
        if (quoted && *p++ != '"')
            break;
    }
    options->bad = 1;
    return 0;
}
