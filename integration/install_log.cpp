#include "integration/install_log.h"

#include <limits.h>
#include <string.h>

#include "support/bounded.h"
#include "support/stream.h"

#ifdef _WIN32
#include "setup/setup_state.h"

int LogCreate()
{
    // targetPath (300) and the name always fit the 500 bytes; a cut path
    // would create the log somewhere else, so it is refused all the same.
    if (!CopyText(gSetup.logPath, sizeof gSetup.logPath, gSetup.targetPath) ||
        !AppendText(gSetup.logPath, sizeof gSetup.logPath, "deinst.log"))
        return 0;
    gSetup.logFile = StreamOpen(gSetup.logPath, StreamWriteText);
    if (!gSetup.logFile)
        return 0;
    gSetup.logOpened = 1;
    return 1;
}

void LogWriteLevels(int count, const int* flags)
{
    if (!gSetup.logFile)
        return;
    StreamWriteString(gSetup.logFile, "ID ");
    StreamWriteNumber(gSetup.logFile, count);
    for (int i = 0; i < count; ++i) {
        StreamWriteString(gSetup.logFile, " ");
        StreamWriteNumber(gSetup.logFile, flags[i]);
    }
    StreamWriteString(gSetup.logFile, "\n");
}

void LogRecord(const char* code, const char* argument)
{
    if (!gSetup.logFile)
        return;
    StreamWriteString(gSetup.logFile, code);
    StreamWriteString(gSetup.logFile, " ");
    StreamWriteString(gSetup.logFile, argument);
    StreamWriteString(gSetup.logFile, "\n");
}

void LogFlush()
{
    StreamFlush(gSetup.logFile);
}
#endif

int LogReadLine(Stream* stream, char* line)
{
    return StreamReadLine(stream, line, LogLineCapacity);
}

void LogSplitLine(const char* line, char* code, char* argument, size_t argumentCapacity)
{
    size_t length = strlen(line);
    code[0] = length > 0 ? line[0] : '\0';
    code[1] = length > 1 ? line[1] : '\0';
    code[2] = '\0';

    // Only a line end is dropped: a last line written without one keeps its
    // final character. CR LF comes through as it is where the stream does not
    // translate it (a log copied from elsewhere, the host build).
    size_t end = length;
    if (end > 0 && line[end - 1] == '\n') {
        --end;
        if (end > 0 && line[end - 1] == '\r')
            --end;
    }
    if (argumentCapacity == 0)
        return;
    argument[0] = '\0';
    if (end <= 3)
        return;
    size_t count = end - 3;
    if (count > argumentCapacity - 1)
        count = argumentCapacity - 1;
    memcpy(argument, line + 3, count);
    argument[count] = '\0';
}

// Reads a number the way atoi does (blanks, sign, digits up to the first
// non-digit, none gives 0), held to the range of int as strtol would hold it
// to that of long.
static int ReadNumber(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    int negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= (long long)INT_MAX + 1)
            value = value * 10 + (*text - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

int LogParseLevels(const char* argument, int* levelCount, int* flags, int flagCapacity)
{
    int count = ReadNumber(argument);
    if (count > LogMaxLevels)
        return 0;
    if (flagCapacity < 0)
        flagCapacity = 0;

    // Each flag's token begins at the blank that ended the one before it.
    int stored = 0;
    const char* token = argument;
    for (int read = 0; read < count; ++read) {
        token = strchr(token, ' ');
        if (!token)
            break;
        int flag = ReadNumber(token);
        ++token;
        if (flagCapacity == 0)
            continue;
        if (stored == flagCapacity) {
            memmove(flags, flags + 1, (size_t)(flagCapacity - 1) * sizeof *flags);
            --stored;
        }
        flags[stored++] = flag;
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
            if (capacity > 0) {
                size_t length = (size_t)(p - start);
                if (length > capacity - 1)
                    length = capacity - 1;
                memcpy(fields[found], start, length);
                fields[found][length] = '\0';
            }
            ++found;
            start = NULL;
        }
    }
    if (capacity > 0)
        for (int i = found; i < 3; ++i)
            fields[i][0] = '\0';
    return found == 3;
}
