// The wizard pages and the set-up they share.
#ifndef KOVRA_PAGES_H
#define KOVRA_PAGES_H

#include <windows.h>

// Icons, centring on the screen, top of the window order, shown. Every page
// calls it first when its dialog is being created.
void PreparePage(HWND page);

// True only for a plain click (or Esc for IDC_CANCEL): the whole command word
// must equal the control id, notification code 0.
inline bool IsPlainCommand(WPARAM wParam, int id) { return wParam == (WPARAM)id; }

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TargetPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConfirmPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
