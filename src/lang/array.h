// A growable array of plain values on one heap block (the language file's line index).
// Growth is fixed: capacity + capacity / 4 + 32, so capacities run 32, 72, 122, 184, 262, ...
// A failed reallocation stops the program through the error state (exit code 8).
#pragma once
#include <stdlib.h>

#include "support/error_state.h"

template <typename T>
class Array {
public:
    ~Array() { free(data); }

    void Add(T value) {
        count++;
        if (capacity < count) {
            int grown = capacity + capacity / 4 + 32;
            if (grown < count)
                grown = count;
            T* block = static_cast<T*>(realloc(data, static_cast<size_t>(grown) * sizeof(T)));
            if (!block)
                g_errorState.MemoryError();
            data = block;
            capacity = grown;
        }
        data[count - 1] = value;
    }

    // Frees the block; the array is empty again.
    void Clear() {
        free(data);
        data = nullptr;
        count = 0;
        capacity = 0;
    }

    T* data = nullptr;
    int count = 0;
    int capacity = 0;
};
