// The install log "deinst.log": one CR LF line per change, undone backwards.
//
// Writing goes through gSetup.logFile (a "wt" stream). Reading is pure text
// handling so that it also builds natively for the host tests and the fuzzer.
#ifndef KOVRA_INSTALL_LOG_H
#define KOVRA_INSTALL_LOG_H

#include <stddef.h>
#include <stdio.h>

enum {
    LogLineCapacity = 500,   // a read takes at most 499 characters
    LogMaxLevels = 150       // an ID record with more levels stops the reader
};

// Appends "<code> <argument>\n" to the open log; nothing when no log is open.
void LogRecord(const char* code, const char* argument);

// Reads the next line of at most LogLineCapacity - 1 characters into line
// (LogLineCapacity bytes). Returns 1 when a line was read, 0 at the end.
int LogReadLine(FILE* stream, char* line);

// Splits a line into its two-letter code (code gets 3 bytes) and its argument:
// the text from the fourth character up to the line end, without the line end.
void LogSplitLine(const char* line, char* code, char* argument, size_t argumentCapacity);

// Parses the argument of an ID record. Stores at most flagCapacity flags.
// Returns 0 when the level count is above LogMaxLevels, else 1.
int LogParseLevels(const char* argument, int* levelCount, int* flags, int flagCapacity);

// Parses the argument of an IN record into its three bracketed fields
// (file, section, key), each cut to capacity. Returns 1 when all three were
// found, 0 otherwise.
int LogParseIniFields(const char* argument, char* file, char* section, char* key, size_t capacity);

#endif
