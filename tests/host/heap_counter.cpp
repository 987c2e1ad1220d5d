#include "heap_counter.h"

#if KVO_HEAP_COUNTER
#include <stddef.h>

// glibc lets a program replace these four; the originals stay reachable under __libc_ names.
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

int g_heapAllocations;
bool g_failHeapAllocations;

extern "C" void* malloc(size_t size) {
    g_heapAllocations++;
    return g_failHeapAllocations ? nullptr : __libc_malloc(size);
}
extern "C" void* calloc(size_t n, size_t size) {
    g_heapAllocations++;
    return g_failHeapAllocations ? nullptr : __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size) {
    g_heapAllocations++;
    return g_failHeapAllocations ? nullptr : __libc_realloc(p, size);
}
extern "C" void free(void* p) { __libc_free(p); }
#endif
