// Fuzzes reading a log back: any bytes, read line by line, split, and parsed
// as an ID record, with guard bytes after every buffer; walked back from the
// end as the undo walks it; and a log the check calls sound holds only what
// the setup writes.
#include "integration/install_log.h"
#include "support/stream.h"
#include "undo/record_check.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

enum { Guard = 16, Levels = 120 };

static void CheckGuard(const unsigned char* guard)
{
    for (int i = 0; i < Guard; ++i)
        if (guard[i] != 0xA5)
            abort();
}

// The product reads the log from a file in text mode, so each input goes
// through a file too.
static char gPath[64];

static void RemoveFile()
{
    unlink(gPath);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (!gPath[0]) {
        snprintf(gPath, sizeof(gPath), "/dev/shm/kovra_fuzz_log_%d.log", (int)getpid());
        atexit(RemoveFile);
    }
    FILE* file = fopen(gPath, "wb");
    if (!file)
        abort();
    if (size && fwrite(data, 1, size, file) != size)
        abort();
    fclose(file);
    Stream* stream = StreamOpen(gPath, StreamReadText);
    if (!stream)
        return 0;
    static char line[LogLineCapacity + Guard];
    static char argument[LogLineCapacity + Guard];
    static int flags[Levels + Guard];
    memset(line + LogLineCapacity, 0xA5, Guard);
    memset(argument + LogLineCapacity, 0xA5, Guard);
    memset(flags + Levels, 0xA5, Guard * sizeof(int));

    std::vector<std::string> forward;
    while (LogReadLine(stream, line)) {
        CheckGuard((unsigned char*)line + LogLineCapacity);
        forward.push_back(line);
        char code[3];
        LogSplitLine(line, code, argument, LogLineCapacity);
        CheckGuard((unsigned char*)argument + LogLineCapacity);
        if (argument[0] != '\0' && strlen(argument) + 3 > strlen(line))
            abort();
        int count = -1;
        if (LogParseLevels(argument, &count, flags, Levels) && (count < 0 || count > Levels))
            abort();
        CheckGuard((unsigned char*)(flags + Levels));
    }
    StreamClose(stream);

    // The rollback reads the log once and walks it back: the same pieces as
    // the text stream reads forward, last first, over the bytes with CR LF
    // made LF.
    std::vector<char> text(data, data + size);
    size_t end = LogJoinLineEnds(text.data(), text.size());
    if (end > size)
        abort();
    int sound = LogIsSound(text.data(), end);
    size_t pieces = 0;
    while (LogPreviousLine(text.data(), &end, argument, LogLineCapacity)) {
        CheckGuard((unsigned char*)argument + LogLineCapacity);
        if (pieces >= forward.size() || forward[forward.size() - 1 - pieces] != argument)
            abort();
        ++pieces;
        // Sound: whole lines of the setup's codes, the ID line first.
        static const char codes[] = "NC SD KF CI CL PG RK PN ";
        int first = end == 0;
        if (sound && (strlen(argument) < 5 || argument[2] != ' ' || argument[strlen(argument) - 1] != '\n' ||
                      (first != (strncmp(argument, "ID ", 3) == 0)) ||
                      (!first && !strstr(codes, std::string(argument, 3).c_str()))))
            abort();
    }
    if (pieces != forward.size() || end != 0)
        abort();
    return 0;
}
