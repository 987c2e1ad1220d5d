// Helpers shared by the host suites.
#pragma once
#include <string.h>

#include "support/text.h"

// Sets LeadByteTable as code page 950 (Big5) has it, or single-byte; restores on destruction.
struct CodePageScope {
    unsigned char saved[257];
    explicit CodePageScope(bool big5) {
        memcpy(saved, LeadByteTable, sizeof(saved));
        for (int i = 0; i < 256; i++)
            LeadByteTable[i] = big5 && i >= 0x81 && i <= 0xFE;
        LeadByteTable[256] = big5;
    }
    ~CodePageScope() { memcpy(LeadByteTable, saved, sizeof(saved)); }
};
