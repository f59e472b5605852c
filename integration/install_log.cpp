#include "integration/install_log.h"

#include <stdlib.h>
#include <string.h>

#include "support/bounded.h"

#ifdef _WIN32
#include "setup/setup_state.h"

void LogRecord(const char* code, const char* argument)
{
    if (gSetup.logFile)
        fprintf(gSetup.logFile, "%s %s\n", code, argument);
}
#endif

int LogReadLine(FILE* stream, char* line)
{
    return fgets(line, LogLineCapacity, stream) != NULL;
}

void LogSplitLine(const char* line, char* code, char* argument, size_t argumentCapacity)
{
    size_t length = strlen(line);
    code[0] = length > 0 ? line[0] : '\0';
    code[1] = length > 1 ? line[1] : '\0';
    code[2] = '\0';

    // The argument runs from the fourth character to the line end. A last
    // line without a line end keeps its final character.
    size_t end = length;
    if (end > 0 && line[end - 1] == '\n')
        --end;
    if (end > 0 && line[end - 1] == '\r')
        --end;
    argument[0] = '\0';
    if (end <= 3 || argumentCapacity == 0)
        return;
    size_t count = end - 3;
    if (count > argumentCapacity - 1)
        count = argumentCapacity - 1;
    memcpy(argument, line + 3, count);
    argument[count] = '\0';
}

int LogParseLevels(const char* argument, int* levelCount, int* flags, int flagCapacity)
{
    const char* token = argument;
    long count = strtol(token, NULL, 10);
    if (count > LogMaxLevels)
        return 0;
    if (count < 0)
        count = 0;
    // Flags beyond the table are not stored; the count is cut to what was kept.
    int stored = 0;
    while (stored < count && stored < flagCapacity) {
        token = strchr(token, ' ');
        if (!token)
            break;
        flags[stored++] = atoi(token);
        ++token;
    }
    *levelCount = stored;
    return 1;
}

int LogParseIniFields(const char* argument, char* file, char* section, char* key, size_t capacity)
{
    char* fields[3] = { file, section, key };
    int found = 0;
    const char* start = NULL;
    for (const char* p = argument; *p != '\0' && found < 3; ++p) {
        if (*p == '[') {
            start = p + 1;
        } else if (*p == ']' && start) {
            size_t length = (size_t)(p - start);
            if (length > capacity - 1)
                length = capacity - 1;
            memcpy(fields[found], start, length);
            fields[found][length] = '\0';
            ++found;
            start = NULL;
        }
    }
    for (int i = found; i < 3; ++i)
        fields[i][0] = '\0';
    return found == 3;
}
