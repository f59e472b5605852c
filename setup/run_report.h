// The plain-text account of a run that /LOG= asks for: the folder, each
// stage reached, the result in words with its code. A file that cannot be
// written costs the install nothing; the account is then not kept.
#ifndef KOVRA_RUN_REPORT_H
#define KOVRA_RUN_REPORT_H

// Creates or empties the file at path; gSetup.report stays NULL on failure.
void ReportOpen(const char* path);
// One line, as given, with CR LF; nothing without an open report.
void ReportLine(const char* text);
// "<label>: <text>" as one line.
void ReportPair(const char* label, const char* text);
// "Ergebnis: <words> (Code <code>)" and the file closed.
void ReportEnd(const char* words, int code);

#endif
