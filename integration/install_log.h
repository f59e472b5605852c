// The install log "deinst.log": one CR LF line per change, undone backwards.
//
// Writing goes through gSetup.logFile (a text stream, so "\n" lands on disk as
// CR LF). Reading is pure text handling over the same stream, so that it also
// builds natively for the host tests and the fuzzer. The uninstaller reads the same file, so the
// record formats are fixed: a two-letter code, a blank, the argument, "\n".
#ifndef KOVRA_INSTALL_LOG_H
#define KOVRA_INSTALL_LOG_H

#include <stddef.h>

struct Stream;

enum {
    LogLineCapacity = 500,   // a read takes at most 499 characters
    LogMaxLevels = 150       // an ID record with more levels stops the reader
};

#ifdef _WIN32
// Builds gSetup.logPath (targetPath + "deinst.log") and creates the log in
// text mode, emptying an older one; no other process can write to it while
// it is open. Returns 1 with gSetup.logFile open and
// gSetup.logOpened set, 0 when the file cannot be created (logOpened stays 0).
int LogCreate();

// Writes the ID record: "ID <count>" then " <flag>" per level, then "\n".
void LogWriteLevels(int count, const int* flags);

// Appends "<code> <argument>\n" to the open log; nothing when no log is open.
// The line stays in the stream's buffer until the next LogFlush or the close.
void LogRecord(const char* code, const char* argument);

// Puts what is buffered on disk: after staging has opened temp.un_ and after
// every NC record. Failures are not reported.
void LogFlush();
#endif

// Reads the next line of at most LogLineCapacity - 1 characters into line
// (LogLineCapacity bytes), line end included when it fitted; a text stream
// gives CR LF as "\n". Returns 1 when a line was read, 0 at the end of the file.
int LogReadLine(Stream* stream, char* line);

// Splits a line into its two-letter code (code gets 3 bytes) and its argument:
// the text from the fourth character up to the line end, without the line end
// (LF, or CR LF where the stream did not translate it). A line without a line
// end (the last one of a file, or the first 499 characters of a longer line)
// keeps all of its characters. The argument is cut to argumentCapacity.
void LogSplitLine(const char* line, char* code, char* argument, size_t argumentCapacity);

// Parses the argument of an ID record: a level count, then one flag per
// level, shallowest first. Returns 0 when the count is above LogMaxLevels.
// Otherwise stores the flags that the line carries (at most the count) and
// sets levelCount to their number; when they exceed flagCapacity only the
// deepest flagCapacity are kept, so that entry levelCount - 1 stays the
// deepest level, which is where the folder removal starts.
int LogParseLevels(const char* argument, int* levelCount, int* flags, int flagCapacity);

// Parses the argument of an IN record into its three bracketed fields
// (file, section, key), each cut to capacity. Returns 1 when all three were
// found, 0 otherwise (missing fields are then empty).
int LogParseIniFields(const char* argument, char* file, char* section, char* key, size_t capacity);

#endif
