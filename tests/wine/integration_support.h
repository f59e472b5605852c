// Helpers of the shell-integration and rollback tests: files, folders, the
// shell's Programs folder, and a Program Manager stand-in that records the
// exact bytes of every command it is sent.
#ifndef KOVRA_TEST_INTEGRATION_SUPPORT_H
#define KOVRA_TEST_INTEGRATION_SUPPORT_H

#include <windows.h>
#include <ddeml.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace itest {

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool IsFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

// Creates every missing folder of path (no closing backslash needed).
inline void MakeFolders(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            CreateDirectoryA(path.substr(0, i).c_str(), NULL);
}

inline void ListInto(const std::string& root, const std::string& relative, std::vector<std::string>* out)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "\\" + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out->push_back(relative + name + "\\");
            ListInto(root, relative + name + "\\", out);
        } else {
            char size[32];
            sprintf(size, " (%lu)", (unsigned long)found.nFileSizeLow);
            out->push_back(relative + name + size);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// Every file (with its size) and folder (with a closing backslash) below
// root, sorted: a snapshot to compare.
inline std::vector<std::string> ListTree(const std::string& root)
{
    std::vector<std::string> out;
    ListInto(root, "", &out);
    std::sort(out.begin(), out.end());
    return out;
}

inline void RemoveTree(const std::string& root)
{
    std::vector<std::string> entries = ListTree(root);
    for (size_t i = entries.size(); i-- > 0;) {
        std::string entry = entries[i];
        if (entry[entry.size() - 1] == '\\') {
            RemoveDirectoryA((root + "\\" + entry).c_str());
        } else {
            std::string file = root + "\\" + entry.substr(0, entry.rfind(" ("));
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
    }
    RemoveDirectoryA(root.c_str());
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

inline std::string ProgramsFolder()
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "Programs", NULL, NULL, (BYTE*)value, &size);
        RegCloseKey(key);
    }
    return value;
}

// Keeps the "Programs" value as it was before a test that changes it.
class ProgramsValueGuard {
public:
    ProgramsValueGuard()
    {
        RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key_);
        size_ = sizeof value_;
        present_ = RegQueryValueExA(key_, "Programs", NULL, &type_, value_, &size_) == ERROR_SUCCESS;
    }
    ~ProgramsValueGuard()
    {
        if (present_)
            RegSetValueExA(key_, "Programs", 0, type_, value_, size_);
        else
            RegDeleteValueA(key_, "Programs");
        RegCloseKey(key_);
    }
    void Set(DWORD type, const void* data, DWORD size)
    {
        RegSetValueExA(key_, "Programs", 0, type, (const BYTE*)data, size);
    }
    void Remove() { RegDeleteValueA(key_, "Programs"); }

private:
    HKEY key_;
    BYTE value_[1024];
    DWORD size_;
    DWORD type_;
    bool present_;
};

// A DDE server for service and topic PROGMAN on a thread of its own. It is
// registered after Wine's explorer, whose server would also answer, so
// conversations reach it first; tests check that it saw every command.
class ProgmanServer {
public:
    explicit ProgmanServer(bool accept = true) : accept_(accept)
    {
        InitializeCriticalSection(&lock_);
        current_ = this;
        ready_ = CreateEventA(NULL, TRUE, FALSE, NULL);
        thread_ = CreateThread(NULL, 0, Run, this, 0, &threadId_);
        WaitForSingleObject(ready_, 10000);
    }
    ~ProgmanServer()
    {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        CloseHandle(ready_);
        current_ = NULL;
        DeleteCriticalSection(&lock_);
    }
    bool registered() const { return registered_; }
    // Each command as received: its bytes up to and including the zero.
    std::vector<std::string> commands() const
    {
        EnterCriticalSection(&lock_);
        std::vector<std::string> copy = commands_;
        LeaveCriticalSection(&lock_);
        return copy;
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        ProgmanServer* server = (ProgmanServer*)self;
        DWORD instance = 0;
        if (DdeInitializeA(&instance, Callback, APPCLASS_STANDARD, 0) == DMLERR_NO_ERROR) {
            server->instance_ = instance;
            server->name_ = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
            server->registered_ = DdeNameService(instance, server->name_, NULL, DNS_REGISTER) != NULL;
        }
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);  // the thread's queue exists now
        SetEvent(server->ready_);
        while (GetMessageA(&message, NULL, 0, 0) > 0)
            DispatchMessageA(&message);
        if (instance) {
            DdeNameService(instance, server->name_, NULL, DNS_UNREGISTER);
            DdeFreeStringHandle(instance, server->name_);
            DdeUninitialize(instance);
        }
        return 0;
    }
    static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR)
    {
        ProgmanServer* server = current_;
        if (!server)
            return NULL;
        if (type == XTYP_CONNECT)
            return (HDDEDATA)(ULONG_PTR)(DdeCmpStringHandles(topic, server->name_) == 0);
        if (type == XTYP_EXECUTE) {
            DWORD size = DdeGetData(data, NULL, 0, 0);
            std::string bytes(size, '\0');
            if (size)
                DdeGetData(data, (BYTE*)&bytes[0], size, 0);
            EnterCriticalSection(&server->lock_);
            server->commands_.push_back(bytes);
            LeaveCriticalSection(&server->lock_);
            return (HDDEDATA)(ULONG_PTR)(server->accept_ ? DDE_FACK : DDE_FNOTPROCESSED);
        }
        return NULL;
    }

    bool accept_;
    bool registered_ = false;
    DWORD instance_ = 0;
    HSZ name_ = NULL;
    HANDLE ready_;
    HANDLE thread_;
    DWORD threadId_;
    std::vector<std::string> commands_;
    mutable CRITICAL_SECTION lock_;
    static ProgmanServer* current_;
};

inline ProgmanServer* ProgmanServer::current_ = NULL;

// The command bytes as they must arrive, the terminating zero included.
inline std::string Command(const char* text)
{
    return std::string(text, strlen(text) + 1);
}

}  // namespace itest

#endif
