// The wizard pages and the set-up they share.
#ifndef KOVRA_PAGES_H
#define KOVRA_PAGES_H

#include <windows.h>

// Icons, centring on the screen, top of the window order, shown. Every page
// calls it first when its dialog is being created.
void PreparePage(HWND page);

// 1 only for a plain click (or Esc for IDC_CANCEL): the whole command word
// must equal the control id, notification code 0.
inline int IsPlainCommand(WPARAM wParam, int id) { return wParam == (WPARAM)id; }

// The buttons that end a page, the same on every page: "Weiter" goes on to
// page next, "Zurück" back to page back (0: the page has no such button or
// handles it itself), and "Abbrechen" or Esc ends the page with 0, which
// abandons the run. Returns TRUE when wParam was one of them.
INT_PTR EndPageOnCommand(HWND page, WPARAM wParam, int next, int back);

// What "Weiter" on the target page makes of a typed folder: it commits the
// folder full and plain to targetPath (also one that holds an install log),
// unless it does not fit, names a file or has a name that ends in a dot or
// a blank. The unattended install asks the same.
enum TargetVerdict { TargetAccepted, TargetNotAFolder, TargetInstalled };
int CommitTarget(const char* typed);

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TargetPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfirmPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Template 180. Each tick advances gSetup.step by one, runs that step's stage
// while abortCode is 0, and shows the step on the bar and the label; the tick
// after step 100 ends the dialog with page 5.
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
