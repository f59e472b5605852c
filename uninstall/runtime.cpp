// The few C library routines that the shared log code calls, so that the
// uninstaller needs no C runtime DLL: a Windows 95 without msvcrt.dll runs
// it too. Only the ones the linker asks for are kept.
#include <limits.h>
#include <stddef.h>

extern "C" {

void* memset(void* destination, int value, size_t count)
{
    unsigned char* d = (unsigned char*)destination;
    while (count--)
        *d++ = (unsigned char)value;
    return destination;
}

void* memmove(void* destination, const void* source, size_t count)
{
    unsigned char* d = (unsigned char*)destination;
    const unsigned char* s = (const unsigned char*)source;
    if (d < s) {
        while (count--)
            *d++ = *s++;
    } else {
        while (count--)
            d[count] = s[count];
    }
    return destination;
}

void* memcpy(void* destination, const void* source, size_t count)
{
    return memmove(destination, source, count);
}

size_t strlen(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return (size_t)(end - text);
}

int strcmp(const char* a, const char* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return (int)(unsigned char)*a - (int)(unsigned char)*b;
}

char* strchr(const char* text, int c)
{
    for (;; ++text) {
        if (*text == (char)c)
            return (char*)text;
        if (!*text)
            return NULL;
    }
}

// Decimal only, which is all the log's numbers use; out of range gives
// LONG_MAX or LONG_MIN as the library's does.
long strtol(const char* text, char** end, int)
{
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    int negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    const char* digits = p;
    unsigned long value = 0;
    unsigned long limit = negative ? (unsigned long)LONG_MAX + 1 : (unsigned long)LONG_MAX;
    for (; *p >= '0' && *p <= '9'; ++p) {
        unsigned long digit = (unsigned long)(*p - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    if (end)
        *end = (char*)(p == digits ? text : p);
    return negative ? (long)(0 - value) : (long)value;
}

}
