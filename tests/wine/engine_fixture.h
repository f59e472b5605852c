// Shared helpers of the install-stage tests: a fresh folder per test, archives
// and SZDD files built in memory, and a payload module to stage from.
#ifndef KOVRA_ENGINE_FIXTURE_H
#define KOVRA_ENGINE_FIXTURE_H

#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/resfile.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "uidriver.h"

namespace fx {

typedef std::string Bytes;

inline bool ReadWhole(const std::string& path, Bytes* out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    out->clear();
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        out->append(chunk, got);
    fclose(f);
    return true;
}

inline Bytes ReadOr(const std::string& path, const char* missing = "<missing>")
{
    Bytes b;
    return ReadWhole(path, &b) ? b : Bytes(missing);
}

inline bool WriteWhole(const std::string& path, const Bytes& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsFolder(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline void Walk(const std::string& root, const std::string& relative, std::vector<std::string>* out)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out->push_back(relative + name + (folder ? "\\" : ""));
        if (folder)
            Walk(root, relative + name + "\\", out);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Everything below root (which ends in a backslash), folders with a closing
// backslash, sorted.
inline std::vector<std::string> Tree(const std::string& root)
{
    std::vector<std::string> out;
    Walk(root, "", &out);
    std::sort(out.begin(), out.end());
    return out;
}

inline void RemoveTree(const std::string& root)
{
    std::vector<std::string> entries = Tree(root);
    for (size_t i = entries.size(); i-- > 0;) {
        std::string path = root + entries[i];
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileA(path.c_str()))
            RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(root.c_str());
}

// C:\kovra-engine\<name>\, empty, with its closing backslash.
inline std::string Fresh(const std::string& name, const std::string& base = "C:\\kovra-engine\\")
{
    CreateDirectoryA(base.c_str(), NULL);
    std::string path = base + name + "\\";
    SetCurrentDirectoryA(base.c_str());
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

inline void PutLE32(Bytes& out, unsigned int v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((char)(unsigned char)(v >> (8 * i)));
}

struct Entry {
    std::string name;
    Bytes data;
};

// A ResFile archive laid out as the payload builder lays it out.
inline Bytes Archive(const std::vector<Entry>& entries)
{
    static const char magic[] = "Vantorell Bit ResFile\x1A";
    Bytes out(magic, 23);
    PutLE32(out, (unsigned int)entries.size());
    unsigned int offset = 27 + 136 * (unsigned int)entries.size();
    for (const Entry& e : entries) {
        Bytes name(128, '\0');
        memcpy(&name[0], e.name.data(), std::min<size_t>(e.name.size(), 128));
        out += name;
        PutLE32(out, offset);
        PutLE32(out, (unsigned int)e.data.size());
        offset += (unsigned int)e.data.size();
    }
    for (const Entry& e : entries)
        out += e.data;
    return out;
}

// SZDD with only literals: a flag byte of 0xFF before every 8 bytes. Valid
// for any expander, and the expanded length is exact.
inline Bytes Szdd(const Bytes& plain)
{
    Bytes out("SZDD\x88\xF0\x27\x33" "A", 9);
    out.push_back('\0');
    PutLE32(out, (unsigned int)plain.size());
    for (size_t i = 0; i < plain.size(); i += 8) {
        out.push_back((char)0xFF);
        out.append(plain, i, 8);
    }
    return out;
}

// Deterministic filler bytes, different for each seed.
inline Bytes Filler(size_t size, unsigned int seed)
{
    Bytes out(size, '\0');
    unsigned int x = seed * 2654435761u + 12345;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345;
        out[i] = (char)(x >> 16);
    }
    return out;
}

// gSetup as start-up leaves it, with target as the target folder.
inline void ResetState(const std::string& target)
{
    memset(&gSetup, 0, sizeof gSetup);
    CopyText(gSetup.targetPath, sizeof gSetup.targetPath, target.c_str());
}

// Closes whatever a stage left open, as the end of the process would.
inline void CloseAll()
{
    if (gSetup.logFile)
        fclose(gSetup.logFile);
    if (gSetup.stagedFile)
        fclose(gSetup.stagedFile);
    if (gSetup.archiveOut)
        fclose(gSetup.archiveOut);
    if (gSetup.entryFile)
        fclose(gSetup.entryFile);
    if (gSetup.lzHandle > 0)
        LZClose(gSetup.lzHandle);
    ResFileClose();
    gSetup.logFile = gSetup.stagedFile = gSetup.archiveOut = gSetup.entryFile = NULL;
    gSetup.lzHandle = 0;
}

// A copy of setup.exe whose TEMPLATE 144 is payload, loaded as a data file:
// staging reads the resource through gSetup.instance as from its own module.
inline HMODULE PayloadModule(const Bytes& payload, const std::string& copy)
{
    if (!ui::CopyWithPayload(KOVRA_SETUP_EXE, copy.c_str(), payload.data(), (DWORD)payload.size()))
        return NULL;
    return LoadLibraryExA(copy.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
}

// The log as it stands on disk, with the stream closed first when close.
inline Bytes LogOnDisk(bool close = false)
{
    if (close && gSetup.logFile) {
        fclose(gSetup.logFile);
        gSetup.logFile = NULL;
    }
    return ReadOr(gSetup.logPath);
}

// Answers the "Fehler" boxes that the folder creation shows, from a second
// thread, and remembers their texts.
class BoxAnswerer {
public:
    // Each box is answered after it has been open for holdMs.
    explicit BoxAnswerer(DWORD holdMs = 0) : holdMs_(holdMs) { thread_ = CreateThread(NULL, 0, Run, this, 0, NULL); }
    ~BoxAnswerer() { Stop(); }
    std::vector<std::string> Stop()
    {
        if (thread_) {
            InterlockedExchange(&stop_, 1);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = NULL;
        }
        return texts_;
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        BoxAnswerer* me = (BoxAnswerer*)self;
        while (!me->stop_) {
            HWND box = FindWindowA("#32770", "Fehler");
            if (box && IsWindowVisible(box)) {
                char text[200] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                me->texts_.push_back(text);
                Sleep(me->holdMs_);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (IsWindow(box))
                    Sleep(5);
            }
            Sleep(5);
        }
        return 0;
    }
    DWORD holdMs_;
    HANDLE thread_;
    volatile LONG stop_ = 0;
    std::vector<std::string> texts_;
};

}  // namespace fx

#endif
