// The progress page: a 50 ms timer walks the 100-step install timeline.
#ifndef KOVRA_TIMELINE_H
#define KOVRA_TIMELINE_H

#include <windows.h>

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
