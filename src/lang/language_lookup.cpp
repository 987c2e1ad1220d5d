// Looking texts up in the loaded language file, and reading the dialog scale entry.
#include <string.h>

#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "support/text.h"

// Copies at most capacity - 1 bytes and terminates. A text that does not fit is cut before the
// character that would cross the limit, never between the two bytes of a double-byte character.
static void CopyCut(char* destination, int capacity, const char* source, size_t size) {
    size_t limit = static_cast<size_t>(capacity - 1);
    if (size > limit) {
        size_t cut = 0;
        while (cut < limit) {
            bool lead = IsMultiByteCodePage() && IsLeadByte(static_cast<unsigned char>(source[cut]));
            size_t step = (lead && cut + 1 < size) ? 2 : 1;
            if (cut + step > limit)
                break;
            cut += step;
        }
        size = cut;
    }
    memmove(destination, source, size);
    destination[size] = '\0';
}

// The line whose first 8 bytes equal the key, by binary search over the sorted index.
const char* LanguageResources::FindEntry(const char* key) const {
    int lo = 0;
    int n = index.count;
    while (n > 0) {
        int half = n / 2;
        const char* line = text + index.data[lo + half];
        int order = CompareKeyBytes(key, line);
        if (order == 0)
            return line;
        if (order < 0) {
            n = half;
        } else {
            lo = lo + half + 1;
            n = n - half - 1;
        }
    }
    return nullptr;
}

void LanguageResources::Translate(char* destination, int capacity, const char* source,
                                  const char* context, char kind) const {
    if (capacity <= 0)
        return;
    const char* line = nullptr;
    if (text) {
        char key[9];
        MakeLookupKey(key, kind, context, source);
        line = FindEntry(key);
    }
    if (!line) {
        if (destination != source)
            CopyCut(destination, capacity, source, strlen(source));
        else
            destination[capacity - 1] = '\0';
        return;
    }

    // The text starts at the 11th byte of the line (key, equals sign, opening quote) and ends at
    // the last double quote before the line's separator. A line too short to reach the 11th
    // byte yields the empty text rather than the start of the next line.
    const char* end = line;
    while (*end && *end != LineSeparator)
        end++;
    const char* start = line + 10;
    if (start > end)
        start = end;
    // The last line of the section is taken up to 255 bytes, as translators' files expect.
    if (!*end && end - start > 255)
        end = start + 255;
    for (const char* p = end; p > start; p--) {
        if (p[-1] == '"') {
            end = p - 1;
            break;
        }
    }
    CopyCut(destination, capacity, start, static_cast<size_t>(end - start));
}

int ParseScaleNumber(const char* text) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int value = 0;
    for (; *p >= '0' && *p <= '9'; p++) {
        if (value < ScaleLimit)
            value = value * 10 + (*p - '0');
    }
    if (value > ScaleLimit)
        value = ScaleLimit;
    return negative ? -value : value;
}

// value = 100 * q + r with q and r of value's sign, so q * percent and r * percent share a sign
// and the truncated quotient splits into q * percent + r * percent / 100. Only 32-bit divisions
// are left: a 64-bit one would link the compiler's __divdi3 helper into the program.
long long ScaleLength(int value, int percent) {
    int whole = value / 100;
    int rest = value % 100;  // |rest * percent| < 100 * ScaleLimit
    return static_cast<long long>(whole) * percent + rest * percent / 100;
}

int ClampCoordinate(long long value) {
    if (value > CoordinateLimit)
        return CoordinateLimit;
    if (value < -CoordinateLimit - 1)
        return -CoordinateLimit - 1;
    return static_cast<int>(value);
}

bool LanguageResources::DialogScale(const char* templateName, int* horizontal,
                                    int* vertical) const {
    char scale[512];
    Translate(scale, sizeof(scale), "", templateName, '$');
    const char* asterisk = strchr(scale, '*');
    if (asterisk) {
        *horizontal = ParseScaleNumber(scale);
        *vertical = ParseScaleNumber(asterisk + 1);
    } else {
        *horizontal = 100;
        *vertical = 100;
    }
    return *horizontal != 100 || *vertical != 100;
}

bool IsSingleStringFormat(const char* text) {
    int strings = 0;
    for (const char* p = text; *p; p++) {
        if (*p != '%')
            continue;
        p++;
        if (*p == '%')
            continue;
        if (*p != 's')
            return false;
        strings++;
    }
    return strings == 1;
}
