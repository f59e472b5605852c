// Whether an archive entry's name keeps its file inside the target folder.
#ifndef KOVRA_ENTRY_NAME_H
#define KOVRA_ENTRY_NAME_H

// 1 when name is a relative path of non-empty parts separated by
// backslashes (or slashes, which Windows takes for the same), none of them
// made only of dots and blanks ("..", "."), and without a colon anywhere (no
// drive, no stream). 0 otherwise, also for an empty name or a leading or
// trailing separator.
int EntryNameInsideTarget(const char* name);

#endif
