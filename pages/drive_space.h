// The space the installation needs, the free space of a drive, the test of a
// target drive, and the labels of the target and confirmation pages that
// show these figures. All figures are KB of 1,024 bytes.
#ifndef KOVRA_DRIVE_SPACE_H
#define KOVRA_DRIVE_SPACE_H

#include <windows.h>

// Twice the payload (the staged copy and the expanded archive) plus 2 MB.
DWORD SpaceNeededKB();

// Free space of a drive root such as "C:\"; 0 when the system cannot say.
// Formed in 64 bits and capped at 0xFFFFFFFF, so that a large disk never
// wraps round to a small figure.
DWORD FreeSpaceKB(const char* root);

// 1 when path starts with a drive root C:\ to Z:\ (either case) of a fixed
// or removable disk with at least SpaceNeededKB free.
int CheckTargetDrive(const char* path);
// The first part of that test: the drive root, on a fixed or removable disk.
int TargetDriveUsable(const char* path);

// FreeSpaceKB of the root "<letter>:\" when letter (either case) names a
// drive C to Z, else 0.
DWORD FreeSpaceOfLetter(char letter);

// Space needed, free figure, and the caption naming the drive letter.
void FillSpaceLabels(HWND page, DWORD freeKB, char letter);

// Enables or disables a page's button and has it repainted.
void EnablePageButton(HWND page, int id, int enable);

// How a page that shows the figures opens: the free space of the drive root
// formed from targetPath's first character as stored, with no letter or
// drive type test, decides whether IDC_NEXT starts enabled; then the labels.
void ShowStoredTargetSpace(HWND page);

// Exposed for the tests. GetDiskFreeSpaceExA as kernel32 offers it, or NULL
// on systems before it.
typedef BOOL(WINAPI* DiskFreeSpaceExProc)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
DiskFreeSpaceExProc FindDiskFreeSpaceEx();
// 1 and *kb set when the free space of root can be read, through freeSpaceEx
// or, when that is NULL, through the cluster figures.
int QueryFreeSpaceKB(const char* root, DiskFreeSpaceExProc freeSpaceEx, DWORD* kb);
// The product of the three cluster figures in KB, capped at 0xFFFFFFFF.
DWORD KBFromClusters(DWORD sectorsPerCluster, DWORD bytesPerSector, DWORD freeClusters);

#endif
