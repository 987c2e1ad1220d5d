#include "driver/entry_values.h"

#include <string.h>

// Writes value in decimal at text, at least minDigits digits; returns the end (no terminator).
static char* PutDecimal(char* text, unsigned value, int minDigits) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value || count < minDigits);
    while (count)
        *text++ = digits[--count];
    return text;
}

void FormatVersion(char* text, unsigned high, unsigned low) {
    unsigned parts[4] = {high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF};
    for (int i = 0; i < (parts[3] ? 4 : 3); i++) {
        if (i)
            *text++ = '.';
        text = PutDecimal(text, parts[i], 1);
    }
    *text = '\0';
}

void FormatDate(char* text, unsigned year, unsigned month, unsigned day) {
    text = PutDecimal(text, year % 10000, 4);
    text = PutDecimal(text, month % 100, 2);
    *PutDecimal(text, day % 100, 2) = '\0';
}

void FormatStringInfoPath(char* path, unsigned translation, const char* name) {
    static const char prefix[] = "\\StringFileInfo\\";
    memcpy(path, prefix, sizeof(prefix) - 1);
    char* p = path + sizeof(prefix) - 1;
    // The language first: the low word, then the code page.
    unsigned value = (translation << 16) | (translation >> 16);
    for (int shift = 28; shift >= 0; shift -= 4)
        *p++ = "0123456789ABCDEF"[(value >> shift) & 0xF];
    *p++ = '\\';
    memcpy(p, name, strlen(name) + 1);
}

unsigned KilobytesRoundedUp(unsigned long long bytes) {
    unsigned long long kilobytes = (bytes >> 10) + ((bytes & 1023) != 0);
    return kilobytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(kilobytes);
}
