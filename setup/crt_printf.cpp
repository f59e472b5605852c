// Routes fprintf to msvcrt's own. Some system headers switch on MinGW's C99
// printf, which would add 17 KB to setup.exe for formats (%s, %d, %c) that
// msvcrt handles the same way. No header here, so nothing is redirected.
#include <stdarg.h>

extern "C" __declspec(dllimport) int __cdecl vfprintf(void* stream, const char* format, va_list args);

extern "C" int __cdecl __mingw_vfprintf(void* stream, const char* format, va_list args)
{
    return vfprintf(stream, format, args);
}
