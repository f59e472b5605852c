// Fixed global memory blocks for the archive reader and the rank tables. On
// Windows these are the kernel's GlobalAlloc family; the host build (tests,
// fuzzers) maps the few calls they make onto the C heap so the same code runs
// sanitized.
#ifndef KOVRA_GLOBAL_MEMORY_H
#define KOVRA_GLOBAL_MEMORY_H

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>

typedef void* HGLOBAL;
enum { GMEM_FIXED = 0 };

// A fixed block is its own address, as on Windows.
inline HGLOBAL GlobalAlloc(unsigned int, size_t bytes) { return malloc(bytes ? bytes : 1); }
inline void* GlobalLock(HGLOBAL memory) { return memory; }
inline int GlobalUnlock(HGLOBAL) { return 0; }
inline HGLOBAL GlobalFree(HGLOBAL memory) { free(memory); return 0; }
#endif

#endif
