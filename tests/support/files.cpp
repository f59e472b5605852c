#include "files.h"

#include <windows.h>

#include <algorithm>

namespace fx {

Bytes ReadOr(const std::string& path, const char* missing)
{
    Bytes b;
    return ReadWhole(path, b) ? b : Bytes(missing);
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFolders(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
}

static void Walk(const std::string& root, const std::string& relative, int marks, std::vector<std::string>* out)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "\\" + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::string mark;
        if (folder && marks != TreePlain)
            mark = "\\";
        else if (!folder && marks == TreeSizes)
            mark = " (" + std::to_string((unsigned long)found.nFileSizeLow) + ")";
        out->push_back(relative + name + mark);
        if (folder)
            Walk(root, relative + name + "\\", marks, out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The root without a closing backslash: "C:\\x\\" and "C:\\x" name one folder.
static std::string Unslashed(const std::string& root)
{
    std::string r = root;
    if (!r.empty() && r[r.size() - 1] == '\\')
        r.erase(r.size() - 1);
    return r;
}

std::vector<std::string> ListTree(const std::string& root, int marks)
{
    std::vector<std::string> out;
    Walk(Unslashed(root), "", marks, &out);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::string> Tree(const std::string& root)
{
    return ListTree(root, TreeFolders);
}

void RemoveTree(const std::string& root)
{
    std::string base = Unslashed(root);
    std::vector<std::string> entries = ListTree(base, TreePlain);
    for (size_t i = entries.size(); i-- > 0;) {
        std::string path = base + "\\" + entries[i];
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files too
        if (!DeleteFileA(path.c_str()))
            RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(base.c_str());
}

std::string Fresh(const std::string& name, const std::string& base)
{
    CreateDirectoryA(base.c_str(), NULL);
    std::string path = base + name + "\\";
    SetCurrentDirectoryA(base.c_str());
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

}  // namespace fx
