#include "support/bounded.h"

int CopyText(char* dst, size_t capacity, const char* src)
{
    if (capacity == 0)
        return 0;
    size_t i = 0;
    for (; i + 1 < capacity && src[i] != '\0'; ++i)
        dst[i] = src[i];
    dst[i] = '\0';
    return src[i] == '\0';
}

int AppendText(char* dst, size_t capacity, const char* src)
{
    size_t used = 0;
    while (used < capacity && dst[used] != '\0')
        ++used;
    if (used == capacity)
        return 0;
    return CopyText(dst + used, capacity - used, src);
}
