// Whether an archive entry's name keeps its file inside the target folder.
#ifndef KOVRA_ENTRY_NAME_H
#define KOVRA_ENTRY_NAME_H

// 1 when name is a relative path of non-empty parts separated by
// backslashes (or slashes, which Windows takes for the same), none of them
// made only of dots and blanks ("..", "."), none naming a DOS device (CON,
// PRN, AUX, NUL, COM1..9, LPT1..9, with or without an extension), and
// without a colon anywhere (no drive, no stream). 0 otherwise, also for an
// empty name or a leading or trailing separator.
int EntryNameInsideTarget(const char* name);

// 1 when name is one of the files setup itself keeps in the target folder
// while it installs (the log and the two temporary files), compared without
// regard to ASCII case and to the trailing dots and blanks that Windows
// drops: an entry of that name would overwrite the log or the archive.
int EntryNameReserved(const char* name);

#endif
