// Program entry of the uninstaller: which process this is, the questions and
// the closing box. The work itself is done by a copy (handoff.cpp).
#include "uninstall/uninstall.h"

#include "setup/system_dlls.h"
#include "support/bounded.h"
#include "support/command_line.h"
#include "support/product_lock.h"
#include "support/product_names.h"

// CP1252 bytes, whatever the editor.
static const char ErrorCaption[] = "Fehler";
static const char NoLogText[] =
    "Die Datei " LOG_FILE_NAME " wurde nicht gefunden. " PRODUCT_NAME " kann nicht entfernt werden.";
static const char StoppedText[] =
    "Die Datei " LOG_FILE_NAME " ist besch\xE4" "digt. " PRODUCT_NAME
    " wurde nicht vollst\xE4ndig entfernt.";
static const char QuestionText[] =
    "Wollen Sie " PRODUCT_NAME " und alle zugeh\xF6rigen Dateien von Ihrem Computer entfernen?";
static const char CompleteText[] = PRODUCT_NAME " wurde vollst\xE4ndig entfernt.";
static const char InUseText[] =
    PRODUCT_NAME " konnte nicht vollst\xE4ndig entfernt werden, weil noch Dateien benutzt werden.\n"
    "Beenden Sie " PRODUCT_NAME " und starten Sie die Deinstallation noch einmal.";
static const char FolderKeptText[] =
    PRODUCT_NAME " wurde entfernt.\nDer Ordner %s enth\xE4lt noch Dateien, die nicht von der "
    "Installation stammen, und wurde nicht gel\xF6scht.";

static int Box(const char* text, const char* caption, UINT type)
{
    return MessageBoxA(NULL, text, caption, type | MB_SETFOREGROUND);
}

// "/S" in any case as the only argument.
static int IsSilent(const char* arguments)
{
    if (arguments[0] != '/' || (arguments[1] != 's' && arguments[1] != 'S'))
        return 0;
    for (const char* p = arguments + 2; *p; ++p)
        if (*p != ' ' && *p != '\t')
            return 0;
    return 1;
}

static void ShowResult(const Removal* removal, DWORD result)
{
    if (result == UninstallComplete) {
        Box(CompleteText, UNINSTALL_LINK_NAME, MB_OK | MB_ICONINFORMATION);
    } else if (result == UninstallFolderKept) {
        char folder[TextCapacity];
        CopyText(folder, sizeof folder, removal->targetPath);
        folder[lstrlenA(folder) - 1] = '\0';
        char text[sizeof FolderKeptText + TextCapacity];
        wsprintfA(text, FolderKeptText, folder);
        Box(text, UNINSTALL_LINK_NAME, MB_OK | MB_ICONINFORMATION);
    } else if (result == UninstallInUse) {
        Box(InUseText, UNINSTALL_LINK_NAME, MB_OK | MB_ICONEXCLAMATION);
    } else {
        Box(StoppedText, ErrorCaption, MB_OK | MB_ICONSTOP);
    }
}

// The process the user started: its own folder is the target folder.
static DWORD Uninstall(const char* self, int silent)
{
    char target[PathCapacity];
    CopyText(target, sizeof target, self);
    char* end = target + lstrlenA(target);
    while (end > target && end[-1] != '\\')
        --end;
    *end = '\0';

    Removal removal;
    if (!PrepareRemoval(&removal, target) || !LogPresent(&removal)) {
        if (!silent)
            Box(NoLogText, ErrorCaption, MB_OK | MB_ICONSTOP);
        return UninstallUnchanged;
    }
    if (!silent && Box(QuestionText, UNINSTALL_LINK_NAME, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return UninstallUnchanged;

    // A start from a shortcut has the target as current folder, which would
    // keep it from being removed.
    SetCurrentDirectoryA(removal.windowsDir[0] ? removal.windowsDir : "\\");
    DWORD result;
    if (!HandOffToCopy(&removal, &result)) {
        // No copy could run (no temporary folder, Win32s): the work is done
        // here, and this program's own file goes when Windows next starts.
        result = (DWORD)RemoveGame(&removal);
        // This file's mark comes first: a file that it took the place of
        // gets the name back after it.
        if (result == UninstallComplete || result == UninstallFolderKept) {
            DeleteAtRestart(self);
            FinishRemoval(&removal);
        }
    }
    if (!silent)
        ShowResult(&removal, result);
    return result;
}

// The process starts here rather than in a C runtime's start-up code: the
// uninstaller uses none, and it has no static constructors.
extern "C" void __cdecl WinMainCRTStartup()
{
    // Before anything can load a DLL by name: the program may lie in a
    // folder that others can write to.
    RestrictDllSearch();
    char self[PathCapacity];
    DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        ExitProcess(UninstallStopped);
    const char* arguments = CommandArguments(self);
    const char* copy = CopyArguments(arguments);
    // The copy goes on with its starter's removal, under its starter's lock;
    // any other start waits for no one and changes nothing while a setup or
    // another removal runs.
    if (copy) {
        ProductLockJoin();
        ExitProcess((UINT)RunAsCopy(copy));
    }
    if (!ProductLockTake()) {
        if (!IsSilent(arguments))
            ProductLockTellBusy(UNINSTALL_LINK_NAME);
        ExitProcess(UninstallUnchanged);
    }
    ExitProcess((UINT)Uninstall(self, IsSilent(arguments)));
}
