// Program Manager commands over DDE, for platforms below 4.0.
//
// String arguments are framed by the byte 0x1C rather than by quotation
// marks; the uninstaller holds the same DeleteGroup bytes, so the command
// forms must not change.
#include <windows.h>
#include <ddeml.h>

#include "integration/integration.h"
#include "support/bounded.h"

enum { CommandCapacity = 260, CommandTimeoutMs = 1000 };

static const char Frame[] = "\x1C";

static HDDEDATA CALLBACK IgnoreTransaction(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR)
{
    return NULL;
}

// Builds "<head><1C>arg<1C><tail>" into command (capacity bytes). A command
// that does not fit is not built: a cut one could name another group or
// program.
static int BuildCommand(char* command, size_t capacity, const char* head, const char* arg, const char* tail)
{
    int fits = CopyText(command, capacity, head);
    fits &= AppendText(command, capacity, Frame);
    fits &= AppendText(command, capacity, arg);
    fits &= AppendText(command, capacity, Frame);
    fits &= AppendText(command, capacity, tail);
    return fits;
}

static int SendGroupCommand(const char* head, const char* group, const char* tail)
{
    char command[CommandCapacity];
    if (!BuildCommand(command, sizeof command, head, group, tail))
        return 0;
    return SendProgmanCommand(command);
}

int SendProgmanCommand(const char* command)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreTransaction, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return 0;
    int accepted = 0;
    HSZ name = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    // Without the name handle DdeConnect would take any server at all.
    if (name) {
        HCONV conversation = DdeConnect(instance, name, name, NULL);
        if (conversation) {
            HDDEDATA result = DdeClientTransaction((LPBYTE)command, (DWORD)lstrlenA(command) + 1,
                                                   conversation, NULL, CF_TEXT, XTYP_EXECUTE,
                                                   CommandTimeoutMs, NULL);
            accepted = result != NULL;
            DdeDisconnect(conversation);
        }
        DdeFreeStringHandle(instance, name);
    }
    DdeUninitialize(instance);
    return accepted;
}

// The second field of a line of Program Manager's group description (the
// item's command line; the first is its name): 1 when it starts with
// folder. text[0, size) is the line.
static int ItemLineInto(const char* text, size_t size, const char* folder)
{
    size_t i = 0;
    // The name, in quotation marks or up to the comma.
    if (i < size && text[i] == '"') {
        for (++i; i < size && text[i] != '"'; ++i) {
        }
        ++i;
    } else {
        while (i < size && text[i] != ',')
            ++i;
    }
    if (i >= size || text[i] != ',')
        return 1;   // no command line to tell by
    ++i;
    while (i < size && text[i] == '"')
        ++i;
    size_t length = (size_t)lstrlenA(folder);
    return size - i >= length &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text + i, (int)length, folder, (int)length) ==
               CSTR_EQUAL;
}

// Program Manager's description of a group, CF_TEXT: a line for the group,
// then one per item.
static int ItemsInto(const char* text, size_t size, const char* folder)
{
    size_t start = 0;
    for (int line = 0; start < size && text[start] != '\0'; ++line) {
        size_t end = start;
        while (end < size && text[end] != '\0' && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (line > 0 && end > start && !ItemLineInto(text + start, end - start, folder))
            return 0;
        start = end;
        while (start < size && (text[start] == '\r' || text[start] == '\n'))
            ++start;
    }
    return 1;
}

int ProgramGroupPointsInto(const char* group, const char* folder)
{
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreTransaction, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return 1;
    int into = 1;
    HSZ name = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HSZ item = DdeCreateStringHandleA(instance, group, CP_WINANSI);
    HCONV conversation = name && item ? DdeConnect(instance, name, name, NULL) : NULL;
    if (conversation) {
        HDDEDATA data = DdeClientTransaction(NULL, 0, conversation, item, CF_TEXT, XTYP_REQUEST,
                                             CommandTimeoutMs, NULL);
        if (data) {
            // Our group holds one item; a text longer than this buffer is
            // taken as no answer. (DdeAccessData would spare the copy, but
            // this linker crashes on it.)
            static char text[8192];
            DWORD size = DdeGetData(data, (LPBYTE)text, sizeof text, 0);
            if (size > 0 && size < sizeof text)
                into = ItemsInto(text, size, folder);
            DdeFreeDataHandle(data);
        }
        DdeDisconnect(conversation);
    }
    if (item)
        DdeFreeStringHandle(instance, item);
    if (name)
        DdeFreeStringHandle(instance, name);
    DdeUninitialize(instance);
    return into;
}

int CreateProgramGroup(const char* group)
{
    return SendGroupCommand("[CreateGroup(", group, ")]");
}

int DeleteProgramGroup(const char* group)
{
    return SendGroupCommand("[DeleteGroup(", group, ")]");
}

int AddProgramItem(const char* group, const char* commandLine, const char* itemName)
{
    SendGroupCommand("[ShowGroup(", group, ",1)]");

    // [AddItem(<1C>command line<1C>,<1C>item name<1C>)]
    char tail[CommandCapacity];
    if (!BuildCommand(tail, sizeof tail, ",", itemName, ")]"))
        return 0;
    char command[CommandCapacity];
    if (!BuildCommand(command, sizeof command, "[AddItem(", commandLine, tail))
        return 0;
    return SendProgmanCommand(command);
}
