// Which install log records the undo may act on. The log lies in a folder
// that others may write to: a log that holds anything the setup never
// writes is refused whole, and a record is trusted only where it names what
// setup itself makes; anything else is passed over. Pure text: it builds
// natively too, for the host tests and the fuzzer.
#ifndef KOVRA_RECORD_CHECK_H
#define KOVRA_RECORD_CHECK_H

#include <stddef.h>

// The folders the records of one log belong to.
struct RecordScope {
    const char* targetPath;   // the target folder, with its closing backslash
    const char* programsDir;  // the user's Programs folder, "" when unread
};

// 1 when the record (code, argument) acts only on what setup makes:
//   NC  a relative name inside the target folder;
//   SD  an absolute path below the target folder;
//   CI  Programs\<product name> exactly;
//   CL  a ".lnk" file directly inside that folder;
//   PG  the product's group;
//   RK  a single key name (the caller also checks that the key's
//       UninstallString names this target's uninstaller);
//   KF  a kept name of the setup's form, a blank, a relative name inside
//       the target folder (KeptRecordName);
//   ID and PN, which change nothing.
// 0 otherwise, and for every code the setup does not write. Names are
// compared without regard to ASCII case.
int RecordInScope(const RecordScope* scope, const char* code, const char* argument);

// 1 when text[0, size) (CR LF already made LF) is a log as the setup writes
// it: an ID record first and only there ("ID n" and n flags of 0 or 1, n at
// most LogMaxLevels), then NC, SD, CI, CL, PG and RK records, each a code, a
// blank and an argument that is not empty, and at most one PN record with
// the product name, as the last line; every line ends in LF and fits the
// reader's line. A run killed before its end leaves no PN line. Anything
// else is a damaged log, of which nothing is undone.
int LogIsSound(const char* text, size_t size);

// The argument of a KF record is "<kept name> <name>": the kept file's name
// (KEPT_NAME_FORMAT) in the folder of name, the file it made way for.
// Returns name when the kept name has that form, else NULL.
const char* KeptRecordName(const char* argument);
// The kept file of a KF record as a path relative to the target folder:
// name's folder, then the kept name. 0 when it does not fit or the record
// has not the form.
int KeptRecordPath(const char* argument, char* path, size_t capacity);

// 1 when path is folder (with or without its closing backslash) followed by
// one more part or more, each passing the archive-name test.
int PathBelowFolder(const char* path, const char* folder);

#endif
