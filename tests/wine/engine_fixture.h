// The Wine tests' fixture: the setup's state record for a stage run
// in-process, a payload module to stage from, the shell's Programs folder,
// and a Program Manager stand-in that records the exact bytes of every
// command it is sent. Files, folders and payloads come from the tests'
// support library (tests/support), in the same namespace.
#ifndef KOVRA_ENGINE_FIXTURE_H
#define KOVRA_ENGINE_FIXTURE_H

#include <windows.h>
#include <ddeml.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/resfile.h"
#include "engine/stages.h"
#include "files.h"
#include "payloads.h"
#include "setup/setup_state.h"
#include "setup/system_dlls.h"
#include "support/bounded.h"
#include "support/stream.h"
#include "uidriver.h"

namespace fx {

// count one-byte entries laid out as a big game's payload: "uninst.exe" and
// "kovra.exe", folders of 100 files each ("d000\\f00002.dat", ...), and
// "readme.txt" last, at the top, where a test can block the final file.
inline std::vector<Entry> OneByteEntries(unsigned int count)
{
    std::vector<Entry> entries;
    for (unsigned int i = 0; i < count; ++i) {
        char name[32];
        if (i == 0 || i == 1 || i + 1 == count)
            snprintf(name, sizeof name, "%s", i == 0 ? "uninst.exe" : i == 1 ? "kovra.exe" : "readme.txt");
        else
            snprintf(name, sizeof name, "d%03u\\f%05u.dat", (i - 2) / 100, i);
        entries.push_back({ name, Bytes(1, (char)('a' + i % 26)) });
    }
    return entries;
}

// gSetup as start-up leaves it, with target as the target folder.
inline void ResetState(const std::string& target)
{
    memset(&gSetup, 0, sizeof gSetup);
    CopyText(gSetup.targetPath, sizeof gSetup.targetPath, target.c_str());
    LoadSystemDlls();
}

// Runs slice for the steps first..last while it succeeds: returns the step
// that failed, or last + 1.
inline int RunSlices(int (*slice)(int), int first, int last)
{
    int step = first;
    while (step <= last && slice(step))
        ++step;
    return step;
}

// Closes whatever a stage left open, through the stages' own closes.
inline void CloseAll()
{
    CloseStaging();
    CloseExpansion();
    CloseExtraction();
    CloseLog();
}

// A copy of setup.exe whose TEMPLATE 144 is payload, loaded as a data file:
// staging reads the resource through gSetup.instance as from its own module.
inline HMODULE PayloadModule(const Bytes& payload, const std::string& copy)
{
    if (!CopyWithPayload(KOVRA_SETUP_EXE, copy.c_str(), payload.data(), (DWORD)payload.size()))
        return NULL;
    return LoadLibraryExA(copy.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
}

// The log as it stands on disk, with the stream closed first when close.
inline Bytes LogOnDisk(bool close = false)
{
    if (close && gSetup.log.logFile) {
        CloseLog();
    }
    return ReadOr(gSetup.log.logPath);
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

const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

inline std::string ProgramsFolder()
{
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "Programs", NULL, NULL, (BYTE*)value, &size);
        RegCloseKey(key);
    }
    return value;
}

const char UninstallList[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The keys below Uninstall, sorted: part of a before-and-after snapshot.
inline std::vector<std::string> UninstallKeys()
{
    std::vector<std::string> names;
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallList, 0, KEY_READ, &list) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(list, i, name, sizeof name) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    RegCloseKey(list);
    std::sort(names.begin(), names.end());
    return names;
}

// The values of an uninstall entry, "name=type:bytes" a line each, in the
// order the registry gives them.
inline std::string EntryValues(const char* name)
{
    std::string values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(UninstallList) + "\\" + name).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return values;
    char value[256];
    BYTE data[1024];
    DWORD valueSize = sizeof value, dataSize = sizeof data, type;
    for (DWORD i = 0; RegEnumValueA(key, i, value, &valueSize, NULL, &type, data, &dataSize) == ERROR_SUCCESS;
         ++i, valueSize = sizeof value, dataSize = sizeof data)
        values += std::string(value) + "=" + std::to_string(type) + ":" + std::string((char*)data, dataSize) + "\n";
    RegCloseKey(key);
    return values;
}

// Keeps the "Programs" value as it was before a test that changes it.
class ProgramsValueGuard {
public:
    ProgramsValueGuard()
    {
        RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_ALL_ACCESS, &key_);
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
    // description: what a request for a group's description gets; none
    // while empty.
    explicit ProgmanServer(bool accept = true, const std::string& description = "")
        : accept_(accept), description_(description)
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
    static HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA data, ULONG_PTR, ULONG_PTR)
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
        if (type == XTYP_REQUEST && !server->description_.empty())
            return DdeCreateDataHandle(server->instance_, (BYTE*)server->description_.c_str(),
                                       (DWORD)server->description_.size() + 1, 0, item, CF_TEXT, 0);
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
    const std::string description_;
    mutable CRITICAL_SECTION lock_;
    static ProgmanServer* current_;
};

inline ProgmanServer* ProgmanServer::current_ = NULL;

// The command bytes as they must arrive, the terminating zero included.
inline std::string Command(const char* text)
{
    return std::string(text, strlen(text) + 1);
}

}  // namespace fx

#endif
