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

bool IsLink(const std::string& path);

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
        // A link is listed, not walked: what it points to is not below root.
        if (folder && !IsLink(root + "\\" + relative + name))
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

bool PlantOld(const std::string& path, const Bytes& data, bool readOnly)
{
    MakeFolders(path.substr(0, path.rfind('\\')));
    if (!WriteWhole(path, data))
        return false;
    SYSTEMTIME may1999 = { 1999, 5, 6, 1, 12, 30, 15, 0 };
    FILETIME old;
    SystemTimeToFileTime(&may1999, &old);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    bool stamped = file != INVALID_HANDLE_VALUE && SetFileTime(file, &old, NULL, &old);
    CloseHandle(file);
    return stamped && (!readOnly || SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

std::string Stamp(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "<missing>";
    return ReadOr(path) + " written " + std::to_string(data.ftLastWriteTime.dwHighDateTime) + ":" +
           std::to_string(data.ftLastWriteTime.dwLowDateTime) + " attributes " +
           std::to_string(data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

void RemoveTree(const std::string& root)
{
    std::string base = Unslashed(root);
    std::vector<std::string> entries = ListTree(base, TreePlain);
    for (size_t i = entries.size(); i-- > 0;) {
        std::string path = base + "\\" + entries[i];
        if (IsLink(path)) {
            Unlink(path);
            continue;
        }
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only files too
        if (!DeleteFileA(path.c_str()))
            RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(base.c_str());
}

// Wine's own export: the host's name of a Windows path.
static std::string UnixPath(const std::string& path)
{
    typedef char*(__cdecl * UnixNameCall)(const WCHAR*);
    UnixNameCall unixName = (UnixNameCall)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH))
        return "";
    char* name = unixName(wide);
    std::string result = name ? name : "";
    if (name)
        HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Wine starts a host program like a Windows one, but hands back no process
// handle and leaves a stale value in hThread: closing that value closed
// whatever handle of ours had that number (once the HKCU key). The callers
// wait for what the program does instead.
static void RunHost(const char* program, const std::string& arguments)
{
    std::string command = std::string(program) + " " + arguments;
    STARTUPINFOA startup = { sizeof startup };
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA((std::string("Z:") + program).c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL,
                        &startup, &info) || !info.hProcess)
        return;
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

bool IsLink(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Wine names only what exists: the link's place is its folder and its name.
static std::string UnixPlace(const std::string& path)
{
    size_t cut = path.rfind('\\');
    return UnixPath(path.substr(0, cut)) + "/" + path.substr(cut + 1);
}

bool Link(const std::string& target, const std::string& link)
{
    RunHost("/bin/ln", "-s \"" + UnixPath(target) + "\" \"" + UnixPlace(link) + "\"");
    for (int i = 0; i < 100 && !Exists(link); ++i)
        Sleep(20);
    return Exists(link);
}

void Unlink(const std::string& link)
{
    RunHost("/bin/rm", "-f \"" + UnixPlace(link) + "\"");
    for (int i = 0; i < 100 && Exists(link); ++i)
        Sleep(20);
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
