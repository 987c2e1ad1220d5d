#include "registry/reg_text.h"

#include <string.h>

#include "support/text.h"

bool ConcatText(char* buffer, size_t bufferSize, const char* first, const char* second,
                const char* third, const char* fourth) {
    if (bufferSize == 0)
        return false;
    const char* parts[4] = {first, second, third, fourth};
    size_t used = 0;
    for (const char* part : parts) {
        size_t length = strlen(part);
        if (length >= bufferSize - used) {
            buffer[0] = '\0';
            return false;
        }
        memcpy(buffer + used, part, length);
        used += length;
    }
    buffer[used] = '\0';
    return true;
}

bool BuildRegPath(bool currentUser, const char* path, char* buffer, size_t bufferSize) {
    if (bufferSize < 20 || strlen(path) > bufferSize - 20)
        return false;
    if (!currentUser)
        return ConcatText(buffer, bufferSize, path, "");
    if (path[0] == '\\')
        return ConcatText(buffer, bufferSize, path + 1, "");
    if (!path[0])
        return ConcatText(buffer, bufferSize, "Software\\Krelvo", "");
    return ConcatText(buffer, bufferSize, "Software\\Krelvo", "\\", path);
}

bool TerminateReadText(char* buffer, unsigned long readSize, unsigned long bufferSize) {
    if (bufferSize == 0 || readSize > bufferSize)
        return false;
    if (readSize == 0) {
        buffer[0] = '\0';
        return true;
    }
    if (buffer[readSize - 1] == '\0')
        return true;
    // Stored without its terminator (or not a text at all): add one if there is room.
    if (readSize < bufferSize) {
        buffer[readSize] = '\0';
        return true;
    }
    return false;
}

void CopyDefaultText(char* buffer, const char* text, size_t bufferSize) {
    if (bufferSize == 0)
        return;
    size_t length = strlen(text);
    if (length >= bufferSize)
        length = bufferSize - 1;
    memcpy(buffer, text, length);
    buffer[length] = '\0';
}

static char* PutHex(char* out, unsigned long value, int digits) {
    while (digits--)
        *out++ = "0123456789ABCDEF"[(value >> (4 * digits)) & 15];
    return out;
}

static char* PutDecimal(char* out, unsigned long value) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        *out++ = digits[--n];
    return out;
}

void DescribeRegValue(char* text, unsigned long type, const unsigned char* bytes,
                      unsigned long count, unsigned long held) {
    char* out = text;
    const unsigned long RegSz = 1, RegExpandSz = 2, RegDword = 4;
    if (count <= held && (type == RegSz || type == RegExpandSz)) {
        // Room left behind the text for "...", the closing quote and the terminator.
        const char* end = text + RegValueTextSize - 5;
        *out++ = '"';
        for (unsigned long i = 0; i < count && bytes[i]; i++) {
            // A double-byte character goes whole or not at all.
            bool pair = IsLeadByte(bytes[i]) && i + 1 < count && bytes[i + 1];
            if (out + (pair ? 2 : 1) > end) {
                memcpy(out, "...", 3);
                out += 3;
                break;
            }
            if (pair)
                *out++ = static_cast<char>(bytes[i++]);
            *out++ = bytes[i] < 0x20 || (!pair && IsLeadByte(bytes[i])) ? '?' : static_cast<char>(bytes[i]);
        }
        *out++ = '"';
    } else if (type == RegDword && count == 4 && held >= 4) {
        unsigned long value = bytes[0] | bytes[1] << 8 | static_cast<unsigned long>(bytes[2]) << 16 |
                              static_cast<unsigned long>(bytes[3]) << 24;
        memcpy(out, "0x", 2);
        out = PutHex(out + 2, value, 8);
        memcpy(out, " (", 2);
        out = PutDecimal(out + 2, value);
        *out++ = ')';
    } else {
        memcpy(out, "hex(", 4);
        out = PutDecimal(out + 4, type);
        *out++ = ')';
        *out++ = ':';
        unsigned long shown = count < held ? count : held;
        for (unsigned long i = 0; i < shown && i < 16; i++) {
            *out++ = ' ';
            out = PutHex(out, bytes[i], 2);
        }
        if (count > 16 || count > held) {
            memcpy(out, " ... (", 6);
            out = PutDecimal(out + 6, count);
            memcpy(out, " bytes)", 7);
            out += 7;
        }
    }
    *out = '\0';
}
