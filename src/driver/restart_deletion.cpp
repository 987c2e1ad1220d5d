#include "driver/restart_deletion.h"

#include <string.h>

#include "support/format_text.h"
#include "support/text.h"

bool IsInOrBelowFolder(const char* path, const char* folder) {
    size_t n = strlen(folder);
    size_t m = strlen(path);
    // Below it, or the folder itself without its backslash (C: without it would be the
    // drive's current folder, not its root).
    return strncmp(path, folder, m < n ? m : n) == 0 && (m > n || (m + 1 == n && folder[n - 2] != ':'));
}

bool CutToParentFolder(char* path, const char* folder) {
    char* name = FileNamePart(path);
    if (name == path || name[-1] != '\\')
        return false;
    name[-1] = '\0';
    return IsInOrBelowFolder(path, folder);
}

// What a deletion adds, from the line break (after a last line without one) or the header (of a
// new section) on.
static const char RenameLines[] = "\r\n[rename]\r\nNUL=%s\r\n";

// Whether a line is the section header [rename], the name in any case.
static bool IsRenameHeader(const char* line, const char* end) {
    for (int i = 0; i < 8; i++) {
        // Letters compare in lower case, the brackets as they are.
        if (line + i >= end || (i == 0 || i == 7 ? line[i] : line[i] | 0x20) != RenameLines[2 + i])
            return false;
    }
    return true;
}

int AddDeletionLine(char* text, int length, int capacity, const char* path) {
    // The line goes right after the header, else a new section goes at the end.
    int at = length;
    bool found = false;
    for (int line = 0; line < length && !found;) {
        found = IsRenameHeader(text + line, text + length);
        while (line < length && text[line++] != '\n') {
        }
        if (found)
            at = line;
    }
    char added[1100];
    FormatWithText(added, sizeof(added), RenameLines + (found ? 10 : 0) + (at > 0 && text[at - 1] != '\n' ? 0 : 2),
                   path);
    int count = static_cast<int>(strlen(added));
    if (count > capacity - length)
        return -1;
    memmove(text + at + count, text + at, length - at);
    memcpy(text + at, added, count);
    return length + count;
}
