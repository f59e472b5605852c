// The hand-over to a copy in the temporary folder, and that copy's deletion.
//
// The first process passes the copy two inherited handles: its own process,
// so that the copy can wait for it to end, and the write end of a pipe on
// which the copy reports its result. The first process ends with that
// result; only then is its file free to be deleted.
//
// The copy runs with administrator rights from a folder that others may
// write to, so its folder is new, has a name nobody can know beforehand and,
// where Windows has access rights, admits only administrators. And since
// the copy acts without asking, it acts only for the process that started it.
#include "uninstall/uninstall.h"

#include "support/bounded.h"
#include "support/product_names.h"

enum { CommandCapacity = PathCapacity + TextCapacity + 64 };

static const char CopyPrefix[] = "kvu";
static const char CopySwitch[] = "/C";

typedef BOOLEAN(WINAPI* RandomCall)(PVOID, ULONG);
typedef BOOL(WINAPI* IsAdminCall)(void);
typedef BOOL(WINAPI* DescriptorCall)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
typedef DWORD(WINAPI* ProcessIdCall)(HANDLE);
typedef LONG(WINAPI* QueryProcessCall)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// Functions that Windows 95 or NT 4 lack, looked up by name.
static void* SystemFunction(const char* dll, const char* name)
{
    HMODULE module = GetModuleHandleA(dll);
    if (!module && lstrcmpiA(dll, "kernel32.dll") != 0 && lstrcmpiA(dll, "ntdll.dll") != 0)
        module = LoadLibraryA(dll);   // the DLL search is restricted to the system folder
    return module ? (void*)GetProcAddress(module, name) : NULL;
}

// 32 bits nobody can guess: the system's random numbers where it has them,
// else what changes from moment to moment.
static DWORD Unpredictable()
{
    DWORD value = 0;
    RandomCall random = (RandomCall)SystemFunction("advapi32.dll", "SystemFunction036");
    if (random && random(&value, sizeof value))
        return value;
    LARGE_INTEGER counter;
    counter.LowPart = 0;
    QueryPerformanceCounter(&counter);
    return counter.LowPart ^ GetTickCount() ^ (GetCurrentProcessId() << 16) ^ (DWORD)(ULONG_PTR)&value;
}

// Creates a new folder for the copy below the temporary folder; its path,
// with a closing backslash, in folder. Only the process that created it
// under that name may use it: the creation fails when the name exists. An
// elevated process on NT makes it writable by Administrators and SYSTEM only.
static int CreateCopyFolder(char* folder, size_t capacity)
{
    char temp[PathCapacity];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return 0;
    SECURITY_ATTRIBUTES security = { sizeof security, NULL, FALSE };
    if (!(GetVersion() & 0x80000000)) {
        // Windows 2000 on; NT 4 has neither call and gets a plain folder.
        IsAdminCall isAdmin = (IsAdminCall)SystemFunction("shell32.dll", "IsUserAnAdmin");
        DescriptorCall descriptor =
            (DescriptorCall)SystemFunction("advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
        if (isAdmin && descriptor && isAdmin() &&
            !descriptor("D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)", 1, &security.lpSecurityDescriptor, NULL))
            return 0;
    }
    int created = 0;
    for (int tries = 0; tries < 8 && !created; ++tries) {
        // Eight and three characters, which Windows 9x keeps as they are.
        char name[16];
        DWORD bits = Unpredictable();
        wsprintfA(name, "%s%05lx.%03lx\\", CopyPrefix, (unsigned long)(bits >> 12), (unsigned long)(bits & 0xFFF));
        created = CopyText(folder, capacity, temp) && AppendText(folder, capacity, name) &&
                  CreateDirectoryA(folder, &security);
    }
    if (security.lpSecurityDescriptor)
        LocalFree(security.lpSecurityDescriptor);
    return created;
}

// An inheritable duplicate of handle, for the copy; NULL on failure.
static HANDLE Inheritable(HANDLE handle, DWORD access)
{
    HANDLE copy = NULL;
    if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, access, TRUE, 0))
        return NULL;
    return copy;
}

// Reads a decimal number at *text and moves past it and the blank after it.
static int ReadNumber(const char** text, DWORD* value)
{
    const char* p = *text;
    DWORD number = 0;
    if (*p < '0' || *p > '9')
        return 0;
    while (*p >= '0' && *p <= '9')
        number = number * 10 + (DWORD)(*p++ - '0');
    if (*p != ' ')
        return 0;
    *value = number;
    *text = p + 1;
    return 1;
}

// Starts copyPath on the target and returns the copy's process, or NULL.
static HANDLE StartCopy(const char* copyPath, const char* folder, const Removal* removal,
                        HANDLE* pipeRead)
{
    HANDLE self = Inheritable(GetCurrentProcess(), SYNCHRONIZE | PROCESS_QUERY_INFORMATION);
    HANDLE pipeWrite = NULL;
    HANDLE writeForCopy = NULL;
    HANDLE process = NULL;
    *pipeRead = NULL;
    if (self && CreatePipe(pipeRead, &pipeWrite, NULL, 0)) {
        writeForCopy = Inheritable(pipeWrite, GENERIC_WRITE);
        CloseHandle(pipeWrite);
    }
    char command[CommandCapacity];
    if (writeForCopy
        && wsprintfA(command, "\"%s\" %s %lu %lu ", copyPath, CopySwitch, (unsigned long)(ULONG_PTR)self,
                     (unsigned long)(ULONG_PTR)writeForCopy) > 0
        && AppendText(command, sizeof command, removal->targetPath)) {
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info;
        // The copy's current folder is the temporary one: a process whose
        // current folder is the target would keep it from being removed.
        if (CreateProcessA(copyPath, command, NULL, NULL, TRUE, 0, NULL, folder, &startup, &info)) {
            CloseHandle(info.hThread);
            process = info.hProcess;
        }
    }
    // Only the copy holds the write end now: when it ends, the read fails.
    if (writeForCopy)
        CloseHandle(writeForCopy);
    if (self)
        CloseHandle(self);
    if (!process && *pipeRead) {
        CloseHandle(*pipeRead);
        *pipeRead = NULL;
    }
    return process;
}

int HandOffToCopy(const Removal* removal, DWORD* result)
{
    char self[PathCapacity];
    char folder[PathCapacity];
    char copyPath[PathCapacity];
    DWORD selfLength = GetModuleFileNameA(NULL, self, sizeof self);
    if (selfLength == 0 || selfLength >= sizeof self || !CreateCopyFolder(folder, sizeof folder))
        return 0;
    HANDLE pipeRead;
    HANDLE process = NULL;
    if (CopyText(copyPath, sizeof copyPath, folder) && AppendText(copyPath, sizeof copyPath, UNINSTALL_PROGRAM) &&
        CopyFileA(self, copyPath, TRUE))
        process = StartCopy(copyPath, folder, removal, &pipeRead);
    if (!process) {
        DeleteFileA(copyPath);
        RemoveDirectoryA(folder);
        return 0;
    }
    DWORD code = 0;
    DWORD got = 0;
    if (!ReadFile(pipeRead, &code, sizeof code, &got, NULL) || got != sizeof code) {
        // The copy ended without a report: its exit code says why.
        WaitForSingleObject(process, INFINITE);
        if (!GetExitCodeProcess(process, &code))
            code = UninstallStopped;
    }
    CloseHandle(pipeRead);
    CloseHandle(process);
    *result = code;
    return 1;
}

const char* CopyArguments(const char* arguments)
{
    int length = lstrlenA(CopySwitch);
    for (int i = 0; i < length; ++i)
        if (arguments[i] != CopySwitch[i])
            return NULL;
    return arguments[length] == ' ' ? arguments + length + 1 : NULL;
}

// 1 when first is a live process that started this one, and pipe a pipe: a
// command line typed by hand or put into a shortcut names no such handles.
// Windows before XP cannot tell a process's starter; there the handles'
// kinds have to do.
static int FromHandOver(HANDLE first, HANDLE pipe)
{
    if (GetFileType(pipe) != FILE_TYPE_PIPE || WaitForSingleObject(first, 0) != WAIT_TIMEOUT)
        return 0;
    ProcessIdCall processId = (ProcessIdCall)SystemFunction("kernel32.dll", "GetProcessId");
    QueryProcessCall query = (QueryProcessCall)SystemFunction("ntdll.dll", "NtQueryInformationProcess");
    ULONG_PTR basic[6];   // PROCESS_BASIC_INFORMATION; [5] is the starter's id
    if (!processId || !query || query(GetCurrentProcess(), 0, basic, sizeof basic, NULL) != 0)
        return 1;
    DWORD id = processId(first);
    return id != 0 && id == (DWORD)basic[5];
}

// The folder that holds path, with its closing backslash kept out.
static void FolderOf(char* path)
{
    char* cut = path;
    for (char* p = path; *p; ++p)
        if (*p == '\\')
            cut = p;
    *cut = '\0';
}

int RunAsCopy(const char* arguments)
{
    DWORD first, pipe;
    Removal removal;
    if (!ReadNumber(&arguments, &first) || !ReadNumber(&arguments, &pipe) ||
        !FromHandOver((HANDLE)(ULONG_PTR)first, (HANDLE)(ULONG_PTR)pipe) || !PrepareRemoval(&removal, arguments))
        return UninstallStopped;

    // The copy and its folder go with the next start of Windows, whatever
    // happens here: a program cannot delete its own file.
    char self[PathCapacity];
    DWORD selfLength = GetModuleFileNameA(NULL, self, sizeof self);
    if (selfLength > 0 && selfLength < sizeof self) {
        DeleteAtRestart(self);
        FolderOf(self);
        DeleteAtRestart(self);
    }
    DWORD result = (DWORD)RemoveGame(&removal);
    DWORD written;
    WriteFile((HANDLE)(ULONG_PTR)pipe, &result, sizeof result, &written, NULL);
    CloseHandle((HANDLE)(ULONG_PTR)pipe);

    // The first process ends with the result; then its file is free.
    WaitForSingleObject((HANDLE)(ULONG_PTR)first, INFINITE);
    CloseHandle((HANDLE)(ULONG_PTR)first);
    if (result == UninstallComplete || result == UninstallFolderKept)
        FinishRemoval(&removal);
    return (int)result;
}

// Has path deleted (newPath NULL) or renamed to newPath when Windows next
// starts; the marks are carried out in the order they were made.
static void MarkForRestart(const char* path, const char* newPath)
{
    if (!(GetVersion() & 0x80000000)) {
        MoveFileExA(path, newPath, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    // Windows 9x carries out the [rename] section of wininit.ini at start,
    // "new=old" lines; "NUL=" deletes. The section may hold lines of other
    // programs, and "NUL" may come several times, so the section is read
    // and written back whole with one line more. Its names must be short
    // ones, so a new name must exist now.
    char shortPath[MAX_PATH];
    char shortNew[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (shortLength == 0 || shortLength >= sizeof shortPath)
        return;
    DWORD newLength = newPath ? GetShortPathNameA(newPath, shortNew, sizeof shortNew) : 3;
    if (newLength == 0 || newLength >= sizeof shortNew)
        return;
    if (!newPath)
        CopyText(shortNew, sizeof shortNew, "NUL");
    static char section[8192];
    DWORD used = GetPrivateProfileSectionA("rename", section, sizeof section, "wininit.ini");
    // Every line ends in a zero, the section in a second one. A section cut
    // to the buffer would lose other programs' lines when written back.
    if (used >= sizeof section - 2 || used + newLength + 1 + shortLength + 2 > sizeof section)
        return;
    char* line = section + used;
    CopyText(line, sizeof section - used, shortNew);
    AppendText(line, sizeof section - used, "=");
    AppendText(line, sizeof section - used, shortPath);
    line[newLength + 1 + shortLength + 1] = '\0';
    WritePrivateProfileSectionA("rename", section, "wininit.ini");
}

void DeleteAtRestart(const char* path)
{
    MarkForRestart(path, NULL);
}

void MoveAtRestart(const char* path, const char* newPath)
{
    MarkForRestart(path, newPath);
}
