// Which install log records the undo may act on. The log lies in a folder
// that others may write to, so a record is trusted only where it names what
// setup itself makes; anything else is passed over. Pure text: it builds
// natively too, for the host tests and the fuzzer.
#ifndef KOVRA_RECORD_CHECK_H
#define KOVRA_RECORD_CHECK_H

// The folders the records of one log belong to.
struct RecordScope {
    const char* targetPath;   // the target folder, with its closing backslash
    const char* windowsDir;   // the Windows folder, without one
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
//   WC  a plain file name (in the Windows folder);
//   IN  a bare ".ini" file name; a record without its three fields is let
//       through, so that its undo stops the replay as it always has;
//   any other code (ID, IS, PN, unknown ones) as before.
// 0 otherwise. Names are compared without regard to ASCII case.
int RecordInScope(const RecordScope* scope, const char* code, const char* argument);

// 1 when path is folder (with or without its closing backslash) followed by
// one more part or more, each passing the archive-name test.
int PathBelowFolder(const char* path, const char* folder);

#endif
