// Files and folders for the Windows tests: whole files, existence, folder
// trees listed, made and removed, and a fresh folder per test.
#ifndef KOVRA_TESTS_FILES_H
#define KOVRA_TESTS_FILES_H

#include <string>
#include <vector>

#include "tests/file_bytes.h"

namespace fx {

typedef std::string Bytes;

using ::ReadWhole;
using ::WriteWhole;

// The file's bytes, or missing when it cannot be read.
Bytes ReadOr(const std::string& path, const char* missing = "<missing>");

bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
// Creates every missing folder of path (no closing backslash needed).
void MakeFolders(const std::string& path);

// Every file and folder below root as relative paths, sorted: plain, with
// folders marked by a closing backslash, or also with each file's size
// after it, " (size)", which makes a snapshot to compare.
enum { TreePlain, TreeFolders, TreeSizes };
std::vector<std::string> ListTree(const std::string& root, int marks = TreeSizes);
// The tree with folders marked: what a test expects to find.
std::vector<std::string> Tree(const std::string& root);
// A symbolic link on the host at link, to target (both Windows paths):
// Wine shows it as a reparse point. false when it was not made.
bool Link(const std::string& target, const std::string& link);
void Unlink(const std::string& link);
bool IsLink(const std::string& path);
// A file of the user's as it was before an install: bytes, a last write
// time of its own (1 May 1999) and, when readOnly, that attribute. Its
// Stamp is all of that in one text, to compare after an undo.
bool PlantOld(const std::string& path, const Bytes& data, bool readOnly = false);
std::string Stamp(const std::string& path);
// Removes a folder and everything in it (read-only files too); a link goes
// as the link.
void RemoveTree(const std::string& root);
// base + name + "\", empty, with base as the current folder (so that nothing
// holds the fresh folder open).
std::string Fresh(const std::string& name, const std::string& base = "C:\\kovra-engine\\");

}  // namespace fx

#endif
