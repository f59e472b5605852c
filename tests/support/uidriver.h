// A small UI-automation library for driving setup.exe from another process
// under Wine: find a page by its control ids, read texts (CP1252 bytes),
// enabled state and progress position, click, answer message boxes, and
// make copies of the program with its payload resource changed. Part of the
// tests' support library (namespace fx), with files.h and payloads.h.
#ifndef KOVRA_UIDRIVER_H
#define KOVRA_UIDRIVER_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace fx {

struct App {
    PROCESS_INFORMATION info;
    bool running;
};

// Every wait below is timeoutMs times KOVRA_TIME_SCALE (default 1): an
// emulated machine runs programs several times slower than a real one.
DWORD Patience(DWORD ms);

// Starts exe (a Windows path) with workDir as its current folder (NULL:
// inherit) and arguments after its quoted name (NULL: none).
bool Launch(const char* exe, App* app, const char* workDir = NULL, const char* arguments = NULL);
// Waits for the program to end; returns its exit code, or -1 after timeoutMs
// (the program is then terminated).
int WaitExit(App* app, DWORD timeoutMs = 30000);
void Kill(App* app);

// A visible wizard page of the program: an untitled dialog that has every
// control of ids (terminated by 0). Returns NULL after timeoutMs.
HWND WaitPage(const App& app, const int* ids, DWORD timeoutMs = 10000);
// Waits until page is gone (closed or hidden).
bool WaitGone(HWND page, DWORD timeoutMs = 10000);

// Sends message to a window of the program and returns its answer; 0 when
// none comes within 10 s, with a line on stderr naming the message while the
// window is still there: a program that stops answering fails the test at
// once instead of holding it until ctest's timeout.
LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Text of control id as the program's own bytes (CP1252).
std::string Text(HWND dialog, int id);
std::string WindowText(HWND window);
bool Enabled(HWND dialog, int id);
int ProgressPos(HWND dialog, int id);

// Posts a click on control id (posted, so a handler that opens a message
// box does not block us). The click is sent whether or not the button is
// enabled: check Enabled first when the test means "the user clicks".
void Click(HWND dialog, int id);
// Presses Esc in the dialog, through its keyboard handling.
void PressEscape(HWND dialog);
// Replaces the text of an edit control as typing would (raises EN_CHANGE).
void SetText(HWND dialog, int id, const char* text);

struct MessageBox {
    HWND window;
    HWND owner;
    std::string caption;
    std::string text;
};
// Waits for a message box of the program (a dialog with a caption).
bool WaitMessageBox(const App& app, MessageBox* box, DWORD timeoutMs = 10000);
// Presses the box's OK button.
void Answer(const MessageBox& box);

// Waits for a dialog of the program that has a caption and every control of
// ids (terminated by 0), such as the shell's folder browser.
HWND WaitDialog(const App& app, const int* ids, DWORD timeoutMs = 10000);

// Tree views of another process (the folder browser's folder tree).
// The text of item, read through the owning process's memory.
std::string TreeItemText(HWND tree, HTREEITEM item);
// The child of parent (NULL: a root item) whose text contains part; the
// parent is expanded first so that its children exist. NULL when none does.
HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const char* part);
// Every child text of parent (NULL: the roots), expanding it first.
std::vector<std::string> TreeChildren(HWND tree, HTREEITEM parent);
// Makes item the selected one, as a click on it would.
bool TreeSelect(HWND tree, HTREEITEM item);

// Copies exe to copy with its TEMPLATE 144 resource changed.
bool CopyWithPayload(const char* exe, const char* copy, const void* data, DWORD size);
bool CopyWithoutPayload(const char* exe, const char* copy);
bool CopyWithEmptyPayload(const char* exe, const char* copy);
// Copies exe with the payload's data placed outside the image, so that it is
// found and has a size but cannot be loaded.
bool CopyWithUnloadablePayload(const char* exe, const char* copy);
// Copies exe with resource type/id renumbered to newId, so that loading it
// by its old id fails. newId must keep the ids of that type in ascending order.
bool CopyWithResourceRenumbered(const char* exe, const char* copy, WORD type, WORD id, WORD newId);

// The colour of a screen pixel as the display shows it.
COLORREF ScreenPixel(int x, int y);

}  // namespace fx

#endif
