// The full-screen backdrop behind the pages: a blue gradient and the product
// name. It keeps no state; every paint reads the screen size afresh.
#include <windows.h>

#include "resources/resource_ids.h"
#include "setup/driver.h"
#include "setup/setup_state.h"
#include "support/product_names.h"

// The product name in two lines, "Kovra" and "Rendo Cup", moved right and
// down by offset pixels.
static void DrawProductName(HDC dc, COLORREF colour, int offset)
{
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 20 + offset, 20 + offset, PRODUCT_NAME, 5);
    TextOutA(dc, 20 + offset, 70 + offset, PRODUCT_NAME + 6, sizeof PRODUCT_NAME - 7);
}

static void PaintBackdrop(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);

    // One brush per row: the rows are the gradient, exact to the pixel.
    for (int y = 0; y < GetSystemMetrics(SM_CYSCREEN); ++y) {
        int height = GetSystemMetrics(SM_CYSCREEN);
        HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255 - 255 * y / height));
        RECT row = { 0, y, GetSystemMetrics(SM_CXSCREEN), y + 1 };
        FillRect(dc, &row, brush);
        DeleteObject(brush);
    }

    HFONT font = CreateFontA(50, 30, 0, 0, 900, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "Arial");
    HGDIOBJ previous = SelectObject(dc, font);

    // The shadow first, 5 pixels to the lower right; the white covers it
    // but for that fringe.
    DrawProductName(dc, RGB(20, 20, 20), 5);
    DrawProductName(dc, RGB(255, 255, 255), 0);

    SelectObject(dc, previous);
    DeleteObject(font);
    EndPaint(window, &paint);
}

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        SendMessageA(window, WM_SETICON, ICON_BIG,
                     (LPARAM)LoadIconA(gSetup.instance, MAKEINTRESOURCEA(IDI_SETUP)));
        SendMessageA(window, WM_SETICON, ICON_SMALL,
                     (LPARAM)LoadIconA(gSetup.instance, MAKEINTRESOURCEA(IDI_SETUP)));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        PaintBackdrop(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
