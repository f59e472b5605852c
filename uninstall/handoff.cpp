// The hand-over to a copy in the temporary folder, and that copy's deletion.
//
// The first process passes the copy two inherited handles: its own process,
// so that the copy can wait for it to end, and the write end of a pipe on
// which the copy reports its result. The first process ends with that
// result; only then is its file free to be deleted.
#include "uninstall/uninstall.h"

#include "support/bounded.h"

enum { CommandCapacity = PathCapacity + TextCapacity + 64 };

static const char CopyPrefix[] = "kvu";
static const char CopySwitch[] = "/C";

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
    HANDLE self = Inheritable(GetCurrentProcess(), SYNCHRONIZE);
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
    DWORD folderLength = GetTempPathA(sizeof folder, folder);
    if (selfLength == 0 || selfLength >= sizeof self || folderLength == 0 || folderLength >= sizeof folder
        || !GetTempFileNameA(folder, CopyPrefix, 0, copyPath))
        return 0;
    HANDLE pipeRead;
    HANDLE process = NULL;
    if (CopyFileA(self, copyPath, FALSE))
        process = StartCopy(copyPath, folder, removal, &pipeRead);
    if (!process) {
        DeleteFileA(copyPath);
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

int RunAsCopy(const char* arguments)
{
    // The copy goes with the next start of Windows, whatever happens here.
    char self[PathCapacity];
    DWORD selfLength = GetModuleFileNameA(NULL, self, sizeof self);
    if (selfLength > 0 && selfLength < sizeof self)
        DeleteAtRestart(self);

    DWORD first, pipe;
    Removal removal;
    if (!ReadNumber(&arguments, &first) || !ReadNumber(&arguments, &pipe)
        || !PrepareRemoval(&removal, arguments))
        return UninstallStopped;
    DWORD result = (DWORD)RemoveGame(&removal);
    DWORD written;
    WriteFile((HANDLE)(ULONG_PTR)pipe, &result, sizeof result, &written, NULL);
    CloseHandle((HANDLE)(ULONG_PTR)pipe);

    // The first process ends with the result; then its file is free.
    WaitForSingleObject((HANDLE)(ULONG_PTR)first, INFINITE);
    CloseHandle((HANDLE)(ULONG_PTR)first);
    if (result != UninstallStopped)
        FinishRemoval(&removal);
    return (int)result;
}

void DeleteAtRestart(const char* path)
{
    if (!(GetVersion() & 0x80000000)) {
        MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    // Windows 9x carries out the [rename] section of wininit.ini at start;
    // "NUL=" deletes. The section may hold lines of other programs, and
    // "NUL" may come several times, so the section is read and written
    // back whole with one line more. Its names must be short ones.
    char shortPath[MAX_PATH];
    DWORD shortLength = GetShortPathNameA(path, shortPath, sizeof shortPath);
    if (shortLength == 0 || shortLength >= sizeof shortPath)
        return;
    static char section[8192];
    DWORD used = GetPrivateProfileSectionA("rename", section, sizeof section, "wininit.ini");
    // Every line ends in a zero, the section in a second one. A section cut
    // to the buffer would lose other programs' lines when written back.
    if (used >= sizeof section - 2 || used + 4 + shortLength + 2 > sizeof section)
        return;
    char* line = section + used;
    CopyText(line, sizeof section - used, "NUL=");
    AppendText(line, sizeof section - used, shortPath);
    line[4 + shortLength + 1] = '\0';
    WritePrivateProfileSectionA("rename", section, "wininit.ini");
}
