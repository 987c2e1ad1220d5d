#include "support/format_text.h"

#include "support/text.h"

void FormatWithText(char* destination, int capacity, const char* format, const char* text) {
    if (capacity <= 0)
        return;
    int used = 0;
    bool textPlaced = false;
    for (const char* p = format; *p && used < capacity - 1;) {
        if (p[0] == '%' && p[1] == 's' && !textPlaced) {
            for (const char* t = text; *t && used < capacity - 1; t++)
                destination[used++] = *t;
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
