// The install log (LOG_FILE_NAME): one CR LF line per change, undone backwards.
//
// Writing goes through gSetup.log.logFile (a text stream, so "\n" lands on disk
// as CR LF; no other process can write to the file while it is open), and
// every line also into the run's own copy in memory. Reading is pure text
// handling so that it also builds natively for the host tests and the fuzzer. The uninstaller reads the same file, so the
// record formats are fixed: a two-letter code, a blank, the argument, "\n".
#ifndef KOVRA_INSTALL_LOG_H
#define KOVRA_INSTALL_LOG_H

#include <stddef.h>

struct Stream;

enum {
    LogLineCapacity = 500,   // a read takes at most 499 characters
    LogMaxLevels = 150,      // an ID record with more levels stops the reader
    MaxCreatedLevels = 120   // levels of a target path that a run records
};

#ifdef _WIN32
// Builds gSetup.log.logPath (targetPath + LOG_FILE_NAME) and creates the log
// as a text stream, emptying an older one. Returns 1 with the log open and
// logOpened set, 0 when the file cannot be created (logOpened stays 0).
int LogCreate();
// Closes the log if it is open; the only code that closes it. 0 when a byte
// written since the open did not reach the file.
int CloseLog();

// Writes the ID record: "ID <count>" then " <flag>" per level, then "\n".
// Same result as LogRecord.
int LogWriteLevels(int count, const int* flags);

// Appends "<code> <argument>\n" to the run's own copy of the log, then to
// the open log, and puts it on disk before returning: a process killed
// after any change leaves a log that names it. Returns 0 when the copy or
// the file did not take the whole line (and when no log is open); the
// caller's stage has then failed.
int LogRecord(const char* code, const char* argument);
// LogRecord for the stages without an abort code of their own (Start menu,
// uninstall entry): sets AbortLogWrite when the line was not taken.
int LogOrAbort(const char* code, const char* argument);

// Adds size bytes of text (LF line ends) to the run's own copy of the log,
// which the rollback undoes instead of the file: lines that someone else
// puts into the file are never acted on. 0 when no memory is left.
int LogKeep(const char* text, size_t size);
#endif

// Reads the next line of at most LogLineCapacity - 1 characters into line
// (LogLineCapacity bytes), line end included when it fitted; a text stream
// gives CR LF as "\n". Returns 1 when a line was read, 0 at the end of the file.
int LogReadLine(Stream* stream, char* line);

// Takes the log's lines from the last back out of text[0, *end), the log's
// bytes with CR LF already made LF: the same pieces LogReadLine gives going
// forward (a line, its LF included, in pieces of at most LogLineCapacity - 1
// characters), last piece first. Copies the piece into line (capacity bytes,
// cut to fit) and moves *end to its start. Returns 0 when *end is 0.
int LogPreviousLine(const char* text, size_t* end, char* line, size_t capacity);

// Makes every CR LF of text[0, size) a LF in place, as a text stream reads
// it; returns the new size.
size_t LogJoinLineEnds(char* text, size_t size);

// Splits a line into its two-letter code (code gets 3 bytes) and its argument:
// the text from the fourth character up to the line end, without the line end
// (LF, or CR LF where the stream did not translate it). A line without a line
// end (the last one of a file, or the first 499 characters of a longer line)
// keeps all of its characters. The argument is cut to argumentCapacity.
void LogSplitLine(const char* line, char* code, char* argument, size_t argumentCapacity);

// A record's code as one number, so that readers switch on it instead of
// comparing texts: LogCodeOf("NC") == LogCodeNC. Anything that is not two
// characters gives LogCodeNone.
enum LogCode {
    LogCodeNone = 0,
    LogCodeCI = 'C' | 'I' << 8,   // Start-menu folder created
    LogCodeCL = 'C' | 'L' << 8,   // shortcut created
    LogCodeID = 'I' | 'D' << 8,   // target path levels created
    LogCodeKF = 'K' | 'F' << 8,   // a file that was there kept aside for a game file
    LogCodeNC = 'N' | 'C' << 8,   // file in the target created
    LogCodePG = 'P' | 'G' << 8,   // program group created
    LogCodePN = 'P' | 'N' << 8,   // the closing line: the product's name
    LogCodeRK = 'R' | 'K' << 8,   // uninstall key created
    LogCodeSD = 'S' | 'D' << 8    // subfolder of the target created
};
int LogCodeOf(const char* code);

// Parses the argument of an ID record: a level count, then one flag per
// level, shallowest first. Returns 0 when the count is above LogMaxLevels.
// Otherwise stores the flags that the line carries (at most the count) and
// sets levelCount to their number; when they exceed flagCapacity only the
// deepest flagCapacity are kept, so that entry levelCount - 1 stays the
// deepest level, which is where the folder removal starts.
int LogParseLevels(const char* argument, int* levelCount, int* flags, int flagCapacity);

#endif
