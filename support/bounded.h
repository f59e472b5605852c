// Bounded text copies into fixed buffers, in the manner of lstrcpyn: the
// result is always zero-terminated and never longer than the buffer allows.
#ifndef KOVRA_BOUNDED_H
#define KOVRA_BOUNDED_H

#include <stddef.h>

// Copies src into dst of capacity bytes; returns 1 when all of src fitted,
// 0 when it was cut (dst then holds the first capacity - 1 bytes).
int CopyText(char* dst, size_t capacity, const char* src);

// Appends src to the text in dst; same result as CopyText.
int AppendText(char* dst, size_t capacity, const char* src);

#endif
