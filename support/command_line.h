// The command lines of the two programs.
#ifndef KOVRA_COMMAND_LINE_H
#define KOVRA_COMMAND_LINE_H

#include <stddef.h>

// The arguments after the program's own name in GetCommandLineA. The name
// is quoted, or, from an entry written without quotation marks, may hold
// blanks: then it is self (the program's own path) as it stands.
const char* CommandArguments(const char* self);

// The setup's switches, in any case: /S (no window at all), /LOG=file (a
// plain-text account of the run; the name quoted when it holds blanks), /?
// and, last, /D=folder, which takes the rest of the line, blanks included,
// with or without quotation marks.
struct SetupOptions {
    int silent;
    int help;
    int bad;                 // an unknown switch, or a value that does not fit
    char folder[300];        // "" when /D= was not given
    char reportPath[300];    // "" when /LOG= was not given
};
// Fills options from arguments. Returns 0 when the line is not understood
// (options->bad set).
int ParseSetupOptions(const char* arguments, SetupOptions* options);

#endif
