// Counting (and, on request, failing) every heap allocation of the host test process. Only in
// builds without AddressSanitizer, which brings its own allocator.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define KVO_HEAP_COUNTER 0
#else
#define KVO_HEAP_COUNTER 1
extern int g_heapAllocations;
extern bool g_failHeapAllocations;
#endif
