#include "pages/drive_space.h"

#include "resources/resource_ids.h"
#include "setup/setup_state.h"

DWORD SpaceNeededKB()
{
    return (gSetup.payloadSize >> 10) * 2 + 2048;
}

static DWORD CappedKB(ULONGLONG bytes)
{
    ULONGLONG kb = bytes >> 10;
    return kb > 0xFFFFFFFFull ? 0xFFFFFFFF : (DWORD)kb;
}

DWORD KBFromClusters(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters)
{
    // The cluster size fits in 64 bits; a product that would not is capped.
    ULONGLONG clusterBytes = (ULONGLONG)sectorsPerCluster * bytesPerSector;
    if (clusterBytes != 0 && freeClusters > 0xFFFFFFFFFFFFFFFFull / clusterBytes)
        return 0xFFFFFFFF;
    return CappedKB(clusterBytes * freeClusters);
}

DiskFreeSpaceExProc FindDiskFreeSpaceEx()
{
    // Not in the first Windows 95: looked up, so that setup.exe still loads there.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? (DiskFreeSpaceExProc)(void*)GetProcAddress(kernel, "GetDiskFreeSpaceExA") : NULL;
}

int QueryFreeSpaceKB(const char* root, DiskFreeSpaceExProc freeSpaceEx, DWORD* kb)
{
    if (freeSpaceEx) {
        ULARGE_INTEGER available, total, totalFree;
        if (!freeSpaceEx(root, &available, &total, &totalFree))
            return 0;
        *kb = CappedKB(available.QuadPart);
        return 1;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    *kb = KBFromClusters(sectorsPerCluster, bytesPerSector, freeClusters);
    return 1;
}

DWORD FreeSpaceKB(const char* root)
{
    DWORD kb = 0;
    return QueryFreeSpaceKB(root, FindDiskFreeSpaceEx(), &kb) ? kb : 0;
}

static char UpperLetter(char c)
{
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

static int IsTargetLetter(char c)
{
    c = UpperLetter(c);
    return c >= 'C' && c <= 'Z';
}

DWORD FreeSpaceOfLetter(char letter)
{
    if (!IsTargetLetter(letter))
        return 0;
    char root[4] = { UpperLetter(letter), ':', '\\', '\0' };
    return FreeSpaceKB(root);
}

int TargetDriveUsable(const char* path)
{
    // A and B are floppy drives; bytes of 128 and above are no drive letter.
    if (!IsTargetLetter(path[0]))
        return 0;
    if (path[1] != ':' || path[2] != '\\')
        return 0;
    char root[4] = { path[0], ':', '\\', '\0' };  // as typed
    // A fixed disk passes at once; anything else is asked again for a
    // removable disk.
    return GetDriveTypeA(root) == DRIVE_FIXED || GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

int CheckTargetDrive(const char* path)
{
    if (!TargetDriveUsable(path))
        return 0;
    char root[4] = { path[0], ':', '\\', '\0' };
    DWORD kb;
    if (!QueryFreeSpaceKB(root, FindDiskFreeSpaceEx(), &kb))
        return 0;
    return kb >= SpaceNeededKB();
}

void FillSpaceLabels(HWND page, DWORD freeKB, char letter)
{
    char text[64];
    wsprintfA(text, "%lu KB", SpaceNeededKB());
    SetDlgItemTextA(page, IDC_SPACE_NEEDED, text);
    wsprintfA(text, "%lu KB", freeKB);
    SetDlgItemTextA(page, IDC_FREE_SPACE, text);
    wsprintfA(text, "Freier Platz auf %c:\\", letter);
    SetDlgItemTextA(page, IDC_FREE_CAPTION, text);
}

void EnablePageButton(HWND page, int id, int enable)
{
    HWND button = GetDlgItem(page, id);
    EnableWindow(button, enable ? TRUE : FALSE);
    InvalidateRect(button, NULL, TRUE);
}

void ShowStoredTargetSpace(HWND page)
{
    char root[4] = { gSetup.targetPath[0], ':', '\\', '\0' };
    DWORD freeKB = FreeSpaceKB(root);
    EnablePageButton(page, IDC_NEXT, freeKB >= SpaceNeededKB());
    FillSpaceLabels(page, freeKB, gSetup.targetPath[0]);
}
