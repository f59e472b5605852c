// The memory and string routines that GCC calls on its own (structure
// copies, zeroed records) and that the product code uses, for Windows
// programs linked without a C runtime. Only the programs link this file; the
// test programs keep their runtime's.
#include <stddef.h>

// Otherwise GCC may turn these very loops back into calls of themselves.
#pragma GCC optimize("no-tree-loop-distribute-patterns")

extern "C" {

void* memcpy(void* destination, const void* source, size_t size)
{
    unsigned char* to = (unsigned char*)destination;
    const unsigned char* from = (const unsigned char*)source;
    while (size--)
        *to++ = *from++;
    return destination;
}

void* memmove(void* destination, const void* source, size_t size)
{
    unsigned char* to = (unsigned char*)destination;
    const unsigned char* from = (const unsigned char*)source;
    if (to < from) {
        while (size--)
            *to++ = *from++;
    } else {
        while (size--)
            to[size] = from[size];
    }
    return destination;
}

void* memset(void* destination, int value, size_t size)
{
    unsigned char* to = (unsigned char*)destination;
    while (size--)
        *to++ = (unsigned char)value;
    return destination;
}

int memcmp(const void* first, const void* second, size_t size)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    for (; size > 0; --size, ++a, ++b)
        if (*a != *b)
            return *a < *b ? -1 : 1;
    return 0;
}

void* memchr(const void* memory, int wanted, size_t size)
{
    const unsigned char* p = (const unsigned char*)memory;
    for (; size > 0; --size, ++p)
        if (*p == (unsigned char)wanted)
            return (void*)p;
    return NULL;
}

size_t strlen(const char* text)
{
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

int strcmp(const char* first, const char* second)
{
    const unsigned char* a = (const unsigned char*)first;
    const unsigned char* b = (const unsigned char*)second;
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

char* strchr(const char* text, int wanted)
{
    for (;; ++text) {
        if (*text == (char)wanted)
            return (char*)text;
        if (*text == '\0')
            return NULL;
    }
}

}
