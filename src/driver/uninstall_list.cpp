#include "driver/uninstall_list.h"

#include <string.h>

#include "support/text.h"

bool ReadListLine(FILE* list, char* line) {
    int used = 0;
    bool spoilt = false;
    int c = getc(list);
    if (c == EOF)
        return false;
    // Byte by byte: the stream is binary, and a NUL byte must be seen, not cut the line short.
    for (; c != EOF && c != '\n'; c = getc(list)) {
        if (c == '\0' || used == ListLineSize - 1)
            spoilt = true;
        if (!spoilt)
            line[used++] = static_cast<char>(c);
    }
    line[spoilt ? 0 : used] = '\0';
    return true;
}

// A component of dots and blanks only: "." and ".." and what older systems read as further
// parents ("..."), also with the blanks Windows strips from names.
static bool IsDotComponent(const char* start, const char* end) {
    if (start == end)
        return false;
    for (const char* p = start; p < end; p++) {
        if (*p != '.' && *p != ' ')
            return false;
    }
    return true;
}

bool IsEntryInsideFolder(const char* entry) {
    if (entry[0] == '\\' || entry[0] == '/')
        return false;
    const char* component = entry;
    for (const char* p = entry;; p = NextCharPos(p)) {
        if (*p == ':')
            return false;
        if (*p == '\\' || *p == '/' || *p == '\0') {
            if (IsDotComponent(component, p))
                return false;
            if (*p == '\0')
                return true;
            component = p + 1;
        }
    }
}

bool NextListPath(FILE* list, const char* folder, char* path) {
    char line[ListLineSize];
    size_t folderLength = strlen(folder);
    while (ReadListLine(list, line)) {
        TrimTrailingWhitespace(line);
        if (!line[0] || !IsEntryInsideFolder(line))
            continue;
        size_t lineLength = strlen(line);
        // A path cut to fit would name something else: such an entry is left out.
        if (folderLength + lineLength >= ListPathSize)
            continue;
        memcpy(path, folder, folderLength);
        memcpy(path + folderLength, line, lineLength + 1);
        return true;
    }
    return false;
}
