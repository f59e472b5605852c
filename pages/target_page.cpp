// The target folder page: the user types or browses for the folder, sees the
// space needed and free, and commits the folder with "Weiter".
#include <windows.h>
#include <shlobj.h>
#include <string.h>

#include "engine/stages.h"
#include "pages/drive_space.h"
#include "pages/pages.h"
#include "resources/resource_ids.h"
#include "setup/setup_state.h"
#include "support/bounded.h"
#include "support/file_object.h"
#include "support/product_names.h"

static const char PageText[] = "Bitte w\xE4hlen Sie den Zielpfad.";
static const char BrowseTitle[] = "Bitte w\xE4hlen Sie den Zielpfad:";
static const char AlreadyInstalled[] =
    "In dieses Verzeichnis wurde bereits ein Programm installiert!\n"
    "Bitte w\xE4hlen Sie ein anderes Verzeichnis.";

static int EndsInBackslash(const char* text)
{
    size_t length = strlen(text);
    return length > 0 && text[length - 1] == '\\';
}

// Whether text, with the backslash that committing adds, fits targetPath.
// A longer text would be cut to a different folder, so it is never committed.
static int FitsTargetPath(const char* text)
{
    size_t length = strlen(text) + (EndsInBackslash(text) ? 0 : 1);
    return length < sizeof gSetup.targetPath;
}

// One folder has one path: the typed one made full and plain, as the
// uninstaller will see its own folder. Forward slashes count as backslashes,
// empty and "." names go, ".." takes the name before it (never the drive's
// root), and the path ends in a backslash. 0 when text does not start with
// a drive's root, does not fit capacity, or has a name that ends in a dot
// or a blank (Windows drops those, so the folder made would be another).
static int PlainTarget(const char* text, char* path, size_t capacity)
{
    if (capacity < 4 || text[0] == '\0' || text[1] != ':' || text[2] != '\\')
        return 0;
    memcpy(path, text, 3);
    size_t used = 3;
    const char* name = text + 3;
    while (*name != '\0') {
        size_t length = 0;
        while (name[length] != '\0' && name[length] != '\\' && name[length] != '/')
            ++length;
        if (length == 2 && name[0] == '.' && name[1] == '.') {
            if (used > 3)
                for (--used; path[used - 1] != '\\'; --used) {
                }
        } else if (length > 0 && !(length == 1 && name[0] == '.')) {
            if (name[length - 1] == '.' || name[length - 1] == ' ' || used + length + 1 >= capacity)
                return 0;
            memcpy(path + used, name, length);
            used += length;
            path[used++] = '\\';
        }
        name += length;
        if (*name != '\0')
            ++name;
    }
    path[used] = '\0';
    return 1;
}

static void OnEditChange(HWND page)
{
    char* scratch = gSetup.targetPage.scratch;
    GetDlgItemTextA(page, IDC_TARGET_EDIT, scratch, sizeof gSetup.targetPage.scratch);
    EnablePageButton(page, IDC_NEXT, CheckTargetDrive(scratch) && FitsTargetPath(scratch));
    FillSpaceLabels(page, FreeSpaceOfLetter(scratch[0]), scratch[0]);
}

static void OnInit(HWND page)
{
    PreparePage(page);
    SetDlgItemTextA(page, IDC_TARGET_TEXT, PageText);
    // Typing stops where targetPath ends; committing checks again, since
    // text can also arrive by other ways than the keyboard.
    SendDlgItemMessageA(page, IDC_TARGET_EDIT, EM_LIMITTEXT, sizeof gSetup.targetPath - 1, 0);
    SetDlgItemTextA(page, IDC_TARGET_EDIT, gSetup.targetPath);  // runs OnEditChange once
    ShowStoredTargetSpace(page);
}

// Fills folder (capacity bytes, MAX_PATH at least) with the full path the
// user chose; 0 when cancelled or when the choice has no file-system path.
static int BrowseForFolder(HWND page, char* folder, size_t capacity)
{
    // Neither shell call takes a size: both fill up to MAX_PATH.
    if (capacity < MAX_PATH)
        return 0;
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = page;
    info.pidlRoot = NULL;  // the desktop
    info.pszDisplayName = gSetup.targetPage.scratch;
    info.lpszTitle = BrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (!chosen)
        return 0;
    int found = SHGetPathFromIDListA(chosen, folder) && folder[0] != '\0';
    CoTaskMemFree(chosen);
    return found;
}

static void OnBrowse(HWND page)
{
    char folder[PathCapacity];  // SHGetPathFromIDListA fills up to MAX_PATH
    if (BrowseForFolder(page, folder, sizeof folder)) {
        // Browsing adds the product folder; a drive root has its backslash.
        char target[TextCapacity];
        CopyText(target, sizeof target, folder);
        int fits = EndsInBackslash(folder) || AppendText(target, sizeof target, "\\");
        fits = fits && AppendText(target, sizeof target, PRODUCT_NAME "\\");
        if (fits)
            CopyText(gSetup.targetPath, sizeof gSetup.targetPath, target);
        else
            CopyText(folder, sizeof folder, gSetup.targetPath);
    } else {
        CopyText(folder, sizeof folder, gSetup.targetPath);
    }
    SetDlgItemTextA(page, IDC_TARGET_EDIT, gSetup.targetPath);  // replaces typed text
    EnablePageButton(page, IDC_NEXT, CheckTargetDrive(folder));
    FillSpaceLabels(page, FreeSpaceOfLetter(gSetup.targetPath[0]), gSetup.targetPath[0]);
}

int CommitTarget(const char* typed)
{
    // The log, the links and the entry name the folder as committed here.
    char plain[PathCapacity];
    if (!FitsTargetPath(typed) || !PlainTarget(typed, plain, sizeof gSetup.targetPath))
        return TargetNotAFolder;
    // A file cannot be the folder.
    size_t length = strlen(plain);
    plain[length - 1] = '\0';
    DWORD attributes = length > 3 ? GetFileAttributesA(plain) : INVALID_FILE_ATTRIBUTES;
    plain[length - 1] = '\\';
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return TargetNotAFolder;
    CopyText(gSetup.targetPath, sizeof gSetup.targetPath, plain);

    // A log left by an earlier installation belongs to its uninstaller.
    char logPath[PathCapacity];
    CopyText(logPath, sizeof logPath, gSetup.targetPath);
    AppendText(logPath, sizeof logPath, LOG_FILE_NAME);
    FileObject log;
    log.Open(logPath, FileModeRead);
    int installed = log.IsOpen();
    log.Close();
    return installed ? TargetInstalled : TargetAccepted;
}

static void OnNext(HWND page)
{
    char* scratch = gSetup.targetPage.scratch;
    GetDlgItemTextA(page, IDC_TARGET_EDIT, scratch, sizeof gSetup.targetPage.scratch);
    if (!FitsTargetPath(scratch))
        return;
    switch (CommitTarget(scratch)) {
    case TargetNotAFolder:
        MessageBoxA(page, FolderErrorText, "Fehler", MB_OK);
        return;
    case TargetInstalled:
        MessageBoxA(page, AlreadyInstalled, "Mitteilung", MB_OK);
        return;
    }
    EndDialog(page, 1);
    gSetup.page = PageConfirm;
}

INT_PTR CALLBACK TargetPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        OnInit(page);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == MAKEWPARAM(IDC_TARGET_EDIT, EN_CHANGE)) {
        OnEditChange(page);
    } else if (IsPlainCommand(wParam, IDC_BROWSE)) {
        OnBrowse(page);
    } else if (IsPlainCommand(wParam, IDC_NEXT)) {
        OnNext(page);
    } else {
        return EndPageOnCommand(page, wParam, 0, PageWelcome);
    }
    return TRUE;
}
