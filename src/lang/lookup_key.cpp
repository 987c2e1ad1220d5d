#include "lang/lookup_key.h"

#include <string.h>

static uint32_t crcTable[256];
static bool crcTableFilled;

static void FillCrcTable() {
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; bit++)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crcTable[n] = c;
    }
    crcTableFilled = true;
}

uint32_t Crc32(const void* bytes, size_t size, uint32_t previous) {
    if (!crcTableFilled)
        FillCrcTable();
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    uint32_t crc = ~previous;
    for (size_t i = 0; i < size; i++)
        crc = crcTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void MakeLookupKey(char key[9], char kind, const char* context, const char* text) {
    uint32_t crc = Crc32(&kind, 1, 0);
    if (context)
        crc = Crc32(context, strlen(context), crc);
    crc = Crc32(text, strlen(text), crc);
    static const char digits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; i--) {
        key[i] = digits[crc & 0xF];
        crc >>= 4;
    }
    key[8] = '\0';
}

int CompareKeyBytes(const char* a, const char* b) {
    for (int i = 0; i < 8; i++) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
    return 0;
}
