#include "uidriver.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "tests/file_bytes.h"

namespace fx {

DWORD Patience(DWORD ms)
{
    static int scale = 0;
    if (!scale) {
        char text[16];
        DWORD length = GetEnvironmentVariableA("KOVRA_TIME_SCALE", text, sizeof text);
        scale = length > 0 && length < sizeof text ? atoi(text) : 1;
        if (scale < 1)
            scale = 1;
    }
    return ms == INFINITE ? ms : ms * (DWORD)scale;
}

bool Launch(const char* exe, App* app, const char* workDir, const char* arguments)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    ZeroMemory(&app->info, sizeof app->info);
    std::string commandLine = std::string("\"") + exe + "\"";
    if (arguments)
        commandLine += std::string(" ") + arguments;
    app->running = CreateProcessA(exe, &commandLine[0], NULL, NULL, FALSE, 0, NULL, workDir,
                                  &startup, &app->info) != 0;
    if (app->running)
        WaitForInputIdle(app->info.hProcess, Patience(5000));
    return app->running;
}

int WaitExit(App* app, DWORD timeoutMs)
{
    if (!app->running)
        return -1;
    if (WaitForSingleObject(app->info.hProcess, Patience(timeoutMs)) != WAIT_OBJECT_0) {
        Kill(app);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(app->info.hProcess, &code);
    CloseHandle(app->info.hProcess);
    CloseHandle(app->info.hThread);
    app->running = false;
    return (int)code;
}

void Kill(App* app)
{
    if (!app->running)
        return;
    TerminateProcess(app->info.hProcess, 99);
    WaitForSingleObject(app->info.hProcess, 5000);
    CloseHandle(app->info.hProcess);
    CloseHandle(app->info.hThread);
    app->running = false;
}

struct Search {
    DWORD pid;
    const int* ids;
    bool wantCaption;
    HWND found;
};

static bool IsDialogOf(HWND window, DWORD pid)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != pid || !IsWindowVisible(window))
        return false;
    char className[32];
    GetClassNameA(window, className, sizeof className);
    return strcmp(className, "#32770") == 0;
}

static BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    Search* search = (Search*)param;
    if (!IsDialogOf(window, search->pid))
        return TRUE;
    bool hasCaption = GetWindowTextLengthA(window) > 0;
    if (hasCaption != search->wantCaption)
        return TRUE;
    for (const int* id = search->ids; id && *id; ++id)
        if (!GetDlgItem(window, *id))
            return TRUE;
    search->found = window;
    return FALSE;
}

static HWND Find(DWORD pid, const int* ids, bool wantCaption, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        Search search = { pid, ids, wantCaption, NULL };
        EnumWindows(MatchWindow, (LPARAM)&search);
        if (search.found)
            return search.found;
        if (GetTickCount() - start > Patience(timeoutMs))
            return NULL;
        Sleep(10);
    }
}

// A page is shown early in its set-up; the set-up has finished once the
// page's thread takes messages again.
static HWND Settled(HWND window)
{
    DWORD_PTR result;
    if (window)
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, Patience(5000), &result);
    return window;
}

HWND WaitPage(const App& app, const int* ids, DWORD timeoutMs)
{
    return Settled(Find(app.info.dwProcessId, ids, false, timeoutMs));
}

bool WaitGone(HWND page, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (IsWindow(page) && IsWindowVisible(page)) {
        if (GetTickCount() - start > Patience(timeoutMs))
            return false;
        Sleep(10);
    }
    return true;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, Patience(10000), &result)) {
        // A window that has gone meanwhile is no hang.
        DWORD error = GetLastError();
        if (IsWindow(window))
            fprintf(stderr, "uidriver: window %p did not answer message 0x%04X (error %lu)\n",
                    (void*)window, message, error);
        return 0;
    }
    return (LRESULT)result;
}

std::string WindowText(HWND window)
{
    char buffer[4096];
    LRESULT length = Ask(window, WM_GETTEXT, sizeof buffer, (LPARAM)buffer);
    return std::string(buffer, length > 0 ? (size_t)length : 0);
}

std::string Text(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string();
}

bool Enabled(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && IsWindowEnabled(control);
}

int ProgressPos(HWND dialog, int id)
{
    return (int)Ask(GetDlgItem(dialog, id), PBM_GETPOS, 0, 0);
}

void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void PressEscape(HWND dialog)
{
    // The dialog's own loop turns Esc on any of its controls into IDCANCEL.
    DWORD thread = GetWindowThreadProcessId(dialog, NULL);
    GUITHREADINFO gui;
    ZeroMemory(&gui, sizeof gui);
    gui.cbSize = sizeof gui;
    HWND target = dialog;
    if (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus)
        target = gui.hwndFocus;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

void SetText(HWND dialog, int id, const char* text)
{
    Ask(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text);
}

bool WaitMessageBox(const App& app, MessageBox* box, DWORD timeoutMs)
{
    static const int okButton[] = { IDOK, 0 };
    HWND window = Find(app.info.dwProcessId, okButton, true, timeoutMs);
    if (!window)
        return false;
    box->window = window;
    box->owner = GetWindow(window, GW_OWNER);
    box->caption = WindowText(window);
    box->text = Text(window, 0xFFFF);
    return true;
}

HWND WaitDialog(const App& app, const int* ids, DWORD timeoutMs)
{
    return Settled(Find(app.info.dwProcessId, ids, true, timeoutMs));
}

// A TVITEMA and its text buffer inside the process that owns the tree.
struct RemoteItem {
    HANDLE process;
    char* block;
};

static bool OpenRemoteItem(HWND tree, RemoteItem* remote)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(tree, &pid);
    remote->process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!remote->process)
        return false;
    remote->block = (char*)VirtualAllocEx(remote->process, NULL, 4096, MEM_COMMIT, PAGE_READWRITE);
    if (!remote->block) {
        CloseHandle(remote->process);
        return false;
    }
    return true;
}

static void CloseRemoteItem(RemoteItem* remote)
{
    VirtualFreeEx(remote->process, remote->block, 0, MEM_RELEASE);
    CloseHandle(remote->process);
}

std::string TreeItemText(HWND tree, HTREEITEM item)
{
    RemoteItem remote;
    if (!OpenRemoteItem(tree, &remote))
        return std::string();
    TVITEMA query;
    ZeroMemory(&query, sizeof query);
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = remote.block + 1024;
    query.cchTextMax = 1024;
    std::string text;
    char buffer[1024];
    SIZE_T moved = 0;
    if (WriteProcessMemory(remote.process, remote.block, &query, sizeof query, &moved) &&
        Ask(tree, TVM_GETITEMA, 0, (LPARAM)remote.block) &&
        ReadProcessMemory(remote.process, remote.block, &query, sizeof query, &moved) &&
        ReadProcessMemory(remote.process, query.pszText, buffer, sizeof buffer, &moved)) {
        buffer[sizeof buffer - 1] = '\0';
        text = buffer;
    }
    CloseRemoteItem(&remote);
    return text;
}

static HTREEITEM FirstChild(HWND tree, HTREEITEM parent)
{
    if (!parent)
        return (HTREEITEM)Ask(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    Ask(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)parent);
    return (HTREEITEM)Ask(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)parent);
}

static HTREEITEM NextSibling(HWND tree, HTREEITEM item)
{
    return (HTREEITEM)Ask(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item);
}

HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const char* part)
{
    for (HTREEITEM item = FirstChild(tree, parent); item; item = NextSibling(tree, item))
        if (TreeItemText(tree, item).find(part) != std::string::npos)
            return item;
    return NULL;
}

std::vector<std::string> TreeChildren(HWND tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    for (HTREEITEM item = FirstChild(tree, parent); item; item = NextSibling(tree, item))
        texts.push_back(TreeItemText(tree, item));
    return texts;
}

bool TreeSelect(HWND tree, HTREEITEM item)
{
    return Ask(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item) != 0;
}

void Answer(const MessageBox& box)
{
    Click(box.window, IDOK);
    WaitGone(box.window, 5000);
}

// Where the payload sits in the image's resource directory.
struct PayloadEntry {
    size_t typeNameOffset;  // file offset of the type name's first character
    size_t dataEntryOffset; // file offset of IMAGE_RESOURCE_DATA_ENTRY
    WORD language;
};

static bool FindPayload(const std::string& image, PayloadEntry* entry)
{
    const char* base = image.data();
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    size_t rsrc = 0;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData)
            rsrc = section->PointerToRawData + (rva - section->VirtualAddress);
    if (!rsrc)
        return false;

    const IMAGE_RESOURCE_DIRECTORY* root = (const IMAGE_RESOURCE_DIRECTORY*)(base + rsrc);
    const IMAGE_RESOURCE_DIRECTORY_ENTRY* types = (const IMAGE_RESOURCE_DIRECTORY_ENTRY*)(root + 1);
    for (int t = 0; t < root->NumberOfNamedEntries; ++t) {
        const IMAGE_RESOURCE_DIR_STRING_U* name =
            (const IMAGE_RESOURCE_DIR_STRING_U*)(base + rsrc + (types[t].Name & 0x7FFFFFFF));
        const WCHAR expected[] = { 'T', 'E', 'M', 'P', 'L', 'A', 'T', 'E' };
        if (name->Length != 8 || memcmp(name->NameString, expected, sizeof expected) != 0)
            continue;
        const IMAGE_RESOURCE_DIRECTORY* ids =
            (const IMAGE_RESOURCE_DIRECTORY*)(base + rsrc + (types[t].OffsetToData & 0x7FFFFFFF));
        const IMAGE_RESOURCE_DIRECTORY_ENTRY* idEntries = (const IMAGE_RESOURCE_DIRECTORY_ENTRY*)(ids + 1);
        for (int i = 0; i < ids->NumberOfNamedEntries + ids->NumberOfIdEntries; ++i) {
            if (idEntries[i].Name != 144)
                continue;
            const IMAGE_RESOURCE_DIRECTORY* langs =
                (const IMAGE_RESOURCE_DIRECTORY*)(base + rsrc + (idEntries[i].OffsetToData & 0x7FFFFFFF));
            const IMAGE_RESOURCE_DIRECTORY_ENTRY* lang = (const IMAGE_RESOURCE_DIRECTORY_ENTRY*)(langs + 1);
            entry->typeNameOffset = (const char*)name->NameString - base;
            entry->dataEntryOffset = rsrc + (lang->OffsetToData & 0x7FFFFFFF);
            entry->language = (WORD)lang->Name;
            return true;
        }
    }
    return false;
}

static size_t ResourceSection(const std::string& image)
{
    const char* base = image.data();
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
    const IMAGE_NT_HEADERS* nt = (const IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_RESOURCE].VirtualAddress;
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
        if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->SizeOfRawData)
            return section->PointerToRawData + (rva - section->VirtualAddress);
    return 0;
}

// The id entry of type/id in the resource directory, or NULL.
static IMAGE_RESOURCE_DIRECTORY_ENTRY* FindIdEntry(std::string& image, WORD type, WORD id)
{
    size_t rsrc = ResourceSection(image);
    if (!rsrc)
        return NULL;
    char* base = &image[0];
    IMAGE_RESOURCE_DIRECTORY* root = (IMAGE_RESOURCE_DIRECTORY*)(base + rsrc);
    IMAGE_RESOURCE_DIRECTORY_ENTRY* types = (IMAGE_RESOURCE_DIRECTORY_ENTRY*)(root + 1);
    for (int t = 0; t < root->NumberOfNamedEntries + root->NumberOfIdEntries; ++t) {
        if ((types[t].Name & 0x80000000) || types[t].Name != type)
            continue;
        IMAGE_RESOURCE_DIRECTORY* ids = (IMAGE_RESOURCE_DIRECTORY*)(base + rsrc + (types[t].OffsetToData & 0x7FFFFFFF));
        IMAGE_RESOURCE_DIRECTORY_ENTRY* entries = (IMAGE_RESOURCE_DIRECTORY_ENTRY*)(ids + 1);
        for (int i = 0; i < ids->NumberOfNamedEntries + ids->NumberOfIdEntries; ++i)
            if (entries[i].Name == id)
                return &entries[i];
    }
    return NULL;
}

bool CopyWithResourceRenumbered(const char* exe, const char* copy, WORD type, WORD id, WORD newId)
{
    std::string image;
    if (!ReadWhole(exe, image))
        return false;
    IMAGE_RESOURCE_DIRECTORY_ENTRY* entry = FindIdEntry(image, type, id);
    if (!entry)
        return false;
    entry->Name = newId;
    return WriteWhole(copy, image);
}

bool CopyWithPayload(const char* exe, const char* copy, const void* data, DWORD size)
{
    std::string image;
    PayloadEntry entry;
    if (!ReadWhole(exe, image) || !FindPayload(image, &entry) || !CopyFileA(exe, copy, FALSE))
        return false;
    HANDLE update = BeginUpdateResourceA(copy, FALSE);
    if (!update)
        return false;
    BOOL ok = UpdateResourceA(update, "TEMPLATE", MAKEINTRESOURCEA(144), entry.language, (void*)data, size);
    return EndUpdateResourceA(update, !ok) && ok;
}

bool CopyWithoutPayload(const char* exe, const char* copy)
{
    // Wine's UpdateResource cannot delete a resource: rename its type instead.
    std::string image;
    PayloadEntry entry;
    if (!ReadWhole(exe, image) || !FindPayload(image, &entry))
        return false;
    image[entry.typeNameOffset] = 'X';
    return WriteWhole(copy, image);
}

bool CopyWithEmptyPayload(const char* exe, const char* copy)
{
    std::string image;
    PayloadEntry entry;
    if (!ReadWhole(exe, image) || !FindPayload(image, &entry))
        return false;
    IMAGE_RESOURCE_DATA_ENTRY* data = (IMAGE_RESOURCE_DATA_ENTRY*)&image[entry.dataEntryOffset];
    data->Size = 0;
    return WriteWhole(copy, image);
}

bool CopyWithUnloadablePayload(const char* exe, const char* copy)
{
    // The data entry points past every section of the image: the resource is
    // found and sized, but there is nothing to load.
    std::string image;
    PayloadEntry entry;
    if (!ReadWhole(exe, image) || !FindPayload(image, &entry))
        return false;
    IMAGE_RESOURCE_DATA_ENTRY* data = (IMAGE_RESOURCE_DATA_ENTRY*)&image[entry.dataEntryOffset];
    data->OffsetToData = 0x7FFF0000;
    return WriteWhole(copy, image);
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(NULL);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(NULL, screen);
    return colour;
}

}  // namespace fx
