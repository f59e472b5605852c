#include "integration/install_log.h"

#include <limits.h>
#include <string.h>

#include "support/bounded.h"
#include "support/plain_path.h"
#include "support/stream.h"

#ifdef _WIN32
#include "setup/setup_state.h"
#include "support/product_names.h"

int LogCreate()
{
    LogState& log = gSetup.log;
    // targetPath (300) and the name always fit the 500 bytes; a cut path
    // would create the log somewhere else, so it is refused all the same.
    if (!CopyText(log.logPath, sizeof log.logPath, gSetup.targetPath) ||
        !AppendText(log.logPath, sizeof log.logPath, LOG_FILE_NAME))
        return 0;
    // Made new: an older log goes first; a link, dangling or not, stays and
    // makes the creation fail rather than take the lines somewhere else.
    DeleteOwnFile(log.logPath);
    log.logFile = StreamOpen(log.logPath, StreamWriteTextNew);
    if (!log.logFile)
        return 0;
    log.logOpened = 1;
    return 1;
}

int CloseLog()
{
    int closed = 1;
    if (gSetup.log.logFile) {
        closed = StreamClose(gSetup.log.logFile);
        gSetup.log.logFile = NULL;
    }
    return closed;
}

int LogKeep(const char* text, size_t size)
{
    LogState& log = gSetup.log;
    if (log.copySize + size + 1 > log.copyCapacity) {
        // Doubling keeps 20,000 records to a few dozen moves.
        size_t capacity = log.copyCapacity ? log.copyCapacity * 2 : 16384;
        while (capacity < log.copySize + size + 1)
            capacity *= 2;
        HGLOBAL memory = log.copyMemory ? GlobalReAlloc(log.copyMemory, capacity, GMEM_MOVEABLE)
                                        : GlobalAlloc(GMEM_FIXED, capacity);
        if (!memory)
            return 0;
        log.copyMemory = memory;
        log.copy = (char*)memory;
        log.copyCapacity = capacity;
    }
    memcpy(log.copy + log.copySize, text, size);
    log.copySize += size;
    log.copy[log.copySize] = '\0';
    return 1;
}

// One whole line: kept first, so that the rollback knows of a change even
// when the disk refused its record, then written and flushed.
static int LogLine(const char* line)
{
    Stream* file = gSetup.log.logFile;
    size_t length = strlen(line);
    if (!file || !LogKeep(line, length))
        return 0;
    int written = StreamWrite(file, line, length);
    return StreamFlush(file) && written;
}

int LogWriteLevels(int count, const int* flags)
{
    // "ID 150" and 150 flags: far below the line bound.
    char line[LogLineCapacity];
    if (count < 0 || count > LogMaxLevels)
        return 0;
    CopyText(line, sizeof line, "ID ");
    char number[12];
    wsprintfA(number, "%d", count);
    AppendText(line, sizeof line, number);
    for (int i = 0; i < count; ++i)
        AppendText(line, sizeof line, flags[i] ? " 1" : " 0");
    AppendText(line, sizeof line, "\n");
    return LogLine(line);
}

int LogOrAbort(const char* code, const char* argument)
{
    if (LogRecord(code, argument))
        return 1;
    gSetup.abortCode = AbortLogWrite;
    return 0;
}

int LogRecord(const char* code, const char* argument)
{
    char line[LogLineCapacity];
    // A cut line would name something else.
    if (!CopyText(line, sizeof line, code) || !AppendText(line, sizeof line, " ") ||
        !AppendText(line, sizeof line, argument) || !AppendText(line, sizeof line, "\n"))
        return 0;
    return LogLine(line);
}
#endif

int LogReadLine(Stream* stream, char* line)
{
    return StreamReadLine(stream, line, LogLineCapacity);
}

size_t LogJoinLineEnds(char* text, size_t size)
{
    size_t out = 0;
    for (size_t i = 0; i < size; ++i) {
        if (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n')
            continue;
        text[out++] = text[i];
    }
    return out;
}

int LogPreviousLine(const char* text, size_t* end, char* line, size_t capacity)
{
    size_t stop = *end;
    if (stop == 0)
        return 0;
    // The line that holds the last byte starts after the LF before it; going
    // forward it was read in pieces counted from that start.
    size_t start = stop - 1;
    while (start > 0 && text[start - 1] != '\n')
        --start;
    const size_t piece = LogLineCapacity - 1;
    size_t from = start + (stop - 1 - start) / piece * piece;

    if (capacity > 0) {
        size_t length = stop - from;
        if (length > capacity - 1)
            length = capacity - 1;
        memcpy(line, text + from, length);
        line[length] = '\0';
    }
    *end = from;
    return 1;
}

int LogCodeOf(const char* code)
{
    if (code[0] == '\0' || code[1] == '\0' || code[2] != '\0')
        return LogCodeNone;
    return (unsigned char)code[0] | (unsigned char)code[1] << 8;
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
// non-digit, none gives 0), held to the range of int so that every platform
// reads the same value.
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
