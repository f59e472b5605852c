// Whether an archive entry's name keeps its file inside the target folder.
// The payload builder applies the same rules, so that it never makes an
// archive that the setup refuses.
#ifndef KOVRA_ENTRY_NAME_H
#define KOVRA_ENTRY_NAME_H

#include <stddef.h>

// Folders an entry may lie below the target folder: the extraction makes and
// logs (SD) one folder level for a file, and the rollback removes only that.
enum { EntryMaxFolders = 1 };

// 1 when name is a relative path of non-empty parts separated by
// backslashes (or slashes, which Windows takes for the same), at most
// EntryMaxFolders folders deep, none of the parts made only of dots and
// blanks ("..", "."), none naming a DOS device (EntryPartIsDevice), and
// without a colon anywhere (no drive, no stream). 0 otherwise, also for an
// empty name or a leading or trailing separator.
int EntryNameInsideTarget(const char* name);

// 1 when the length bytes at part, one folder or file name, name a DOS
// device whatever extension follows the first dot and whatever blanks stand
// before it: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0..COM9, LPT0..LPT9 and
// COM/LPT with a CP1252 superscript digit (0xB9, 0xB2, 0xB3), without regard
// to ASCII case.
int EntryPartIsDevice(const char* part, size_t length);

// 1 when name is one of the files setup itself keeps in the target folder
// while it installs (the log and the two temporary files), compared without
// regard to ASCII case and to the trailing dots and blanks that Windows
// drops: an entry of that name would overwrite the log or the archive.
int EntryNameReserved(const char* name);

#endif
