// Nothing is written or removed through a link. The game folder may be
// writable by every user, so a folder or file of the game can be replaced by
// a junction or a symbolic link to somewhere else; an install or an undo
// that went through one would change what lies there.
#ifndef KOVRA_PLAIN_PATH_H
#define KOVRA_PLAIN_PATH_H

// 1 when every level of base + "\" + rest below base, down to the object's
// parent, is a plain folder: attributes without FILE_ATTRIBUTE_REPARSE_POINT
// and, where kernel32 has GetFinalPathNameByHandleA, the parent's final path
// base's final path followed by those levels. base has no closing backslash;
// rest is relative. 0 when a path does not fit.
int PathPlainBelow(const char* base, const char* rest);

// PathPlainBelow remembers the last folder it found plain, for the records
// that follow in it; each replay, and each game file, starts afresh. The
// resolved path of the last base is kept throughout: a link put above or at
// it since makes the levels below resolve elsewhere, and so not plain.
void PlainPathForget();

// 1 when path is a reparse point, or a file whose resolved path is not
// its folder's resolved path and its own name (a link that the file
// system does not mark); also when that cannot be told.
int IsLink(const char* path);

// Deletes the file at path; a read-only file all the same (its attributes
// come back when it cannot go). A link to a file is left as it is, a link to
// a folder goes as the link, and something that is not a file stays. 1 when
// nothing is at path afterwards, or what is there is no file of ours.
int DeleteOwnFile(const char* path);
// Removes the empty folder at path; a link as the link. 1 when nothing is
// at path afterwards, or what is there is no folder.
int RemoveOwnFolder(const char* path);

#endif
