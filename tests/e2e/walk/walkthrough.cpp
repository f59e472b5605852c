// Walks setup.exe through its pages as a user who accepts every default
// would, saving a screenshot of each page and of the closing box.
// Usage: walkthrough.exe SETUP.EXE SHOT-FOLDER
#include <stdio.h>

#include <string>

#include "resources/resource_ids.h"
#include "uidriver.h"

namespace {

bool SaveScreen(const std::string& path)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    DWORD imageSize = ((width * 3 + 3) & ~3) * height;
    BITMAPFILEHEADER header;
    ZeroMemory(&header, sizeof header);
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + imageSize;
    FILE* file = fopen(path.c_str(), "wb");
    bool ok = file && fwrite(&header, sizeof header, 1, file) == 1 &&
              fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, file) == 1 &&
              fwrite(bits, imageSize, 1, file) == 1;
    if (file)
        fclose(file);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: walkthrough SETUP.EXE SHOT-FOLDER\n");
        return 2;
    }
    std::string shots = argv[2];
    fx::App app;
    if (!fx::Launch(argv[1], &app)) {
        fprintf(stderr, "cannot start %s\n", argv[1]);
        return 2;
    }

    static const int welcome[] = { IDC_WELCOME_TEXT, 0 };
    static const int target[] = { IDC_TARGET_EDIT, 0 };
    static const int confirm[] = { IDC_TARGET_DISPLAY, 0 };
    static const int progress[] = { IDC_PROGRESS_BAR, 0 };
    struct Page { const char* name; const int* ids; int button; };
    const Page pages[] = {
        { "1-welcome", welcome, IDC_NEXT },
        { "2-target", target, IDC_NEXT },
        { "3-confirm", confirm, IDC_NEXT },
        { "4-progress", progress, 0 },
    };

    std::string installedTo;
    for (const Page& page : pages) {
        HWND window = fx::WaitPage(app, page.ids, 5000);
        if (!window)
            continue;
        Sleep(300);  // let the page paint before the picture is taken
        if (page.ids == target)
            installedTo = fx::Text(window, IDC_TARGET_EDIT);
        if (page.ids == progress)
            Sleep(2000);
        SaveScreen(shots + "\\" + page.name + ".bmp");
        printf("page %s shown\n", page.name);
        if (page.button)
            fx::Click(window, page.button);
    }

    fx::MessageBox box;
    if (fx::WaitMessageBox(app, &box, 30000)) {
        Sleep(300);
        SaveScreen(shots + "\\5-result.bmp");
        printf("result: \"%s\" (%s)\n", box.text.c_str(), box.caption.c_str());
        fx::Answer(box);
    }
    int code = fx::WaitExit(&app, 30000);
    printf("setup.exe exit code %d\n", code);
    if (!installedTo.empty())
        printf("target folder: %s\n", installedTo.c_str());
    return code == 1 ? 0 : 1;
}
