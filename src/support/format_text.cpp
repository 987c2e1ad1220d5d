#include "support/format_text.h"

#include "support/text.h"

void FormatWithText(char* destination, int capacity, const char* format, const char* text) {
    if (capacity <= 0)
        return;
    int used = 0;
    bool textPlaced = false;
    for (const char* p = format; *p && used < capacity - 1;) {
        if (p[0] == '%' && p[1] == 's' && !textPlaced) {
            // The inserted text, too, is cut on a whole character only; once it is cut, the
            // rest of the format is left out as well.
            const char* t = text;
            while (*t) {
                const char* next = NextCharPos(t);
                if (used + (next - t) > capacity - 1)
                    break;
                for (; t < next; t++)
                    destination[used++] = *t;
            }
            if (*t)
                break;
            textPlaced = true;
            p += 2;
            continue;
        }
        if (p[0] == '%' && p[1] == '%')
            p++;
        // Whole characters only, so a cut never leaves half of a double-byte character.
        const char* next = NextCharPos(p);
        if (used + (next - p) > capacity - 1)
            break;
        for (; p < next; p++)
            destination[used++] = *p;
    }
    destination[used] = '\0';
}
