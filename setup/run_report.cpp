#include "setup/run_report.h"

#include <windows.h>

#include "setup/setup_state.h"
#include "support/bounded.h"
#include "version.h"

void ReportOpen(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    gSetup.report = file == INVALID_HANDLE_VALUE ? NULL : file;
    ReportLine("Kovra Rendo Cup Setup " KOVRA_VERSION);
}

void ReportLine(const char* text)
{
    if (!gSetup.report)
        return;
    DWORD written;
    WriteFile(gSetup.report, text, (DWORD)lstrlenA(text), &written, NULL);
    WriteFile(gSetup.report, "\r\n", 2, &written, NULL);
}

void ReportPair(const char* label, const char* text)
{
    char line[PathCapacity + 40];
    CopyText(line, sizeof line, label);
    AppendText(line, sizeof line, ": ");
    AppendText(line, sizeof line, text);
    ReportLine(line);
}

void ReportEnd(const char* words, int code)
{
    char line[120];
    wsprintfA(line, "Ergebnis: %s (Code %d)", words, code);
    ReportLine(line);
    if (gSetup.report)
        CloseHandle(gSetup.report);
    gSetup.report = NULL;
}
