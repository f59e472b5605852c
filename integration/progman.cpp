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
