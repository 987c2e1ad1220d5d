#include "shell/shortcut_paths.h"

#include <string.h>

#include "support/text.h"

bool ComposeSiblingPath(char* path, int capacity, const char* modulePath, const char* name) {
    size_t folderLength = static_cast<size_t>(FileNamePart(modulePath) - modulePath);
    size_t nameLength = strlen(name);
    if (folderLength + nameLength >= static_cast<size_t>(capacity))
        return false;
    memcpy(path, modulePath, folderLength);
    memcpy(path + folderLength, name, nameLength + 1);
    return true;
}

static bool IsForbiddenInName(char c) {
    return strchr("\\/:*?\"<>|", c) != nullptr || (c > 0 && c < ' ');
}

bool ComposeLinkPath(char* path, int capacity, const char* folder, const char* name) {
    size_t folderLength = strlen(folder);
    // Room for the backslash, ".lnk" and the terminator.
    if (!folderLength || folderLength + strlen(name) + 6 > static_cast<size_t>(capacity))
        return false;
    memcpy(path, folder, folderLength + 1);
    AppendBackslash(path);
    char* out = path + strlen(path);
    for (const char* p = name; *p;) {
        const char* next = NextCharPos(p);
        if (next - p == 1 && IsForbiddenInName(*p)) {
            *out++ = '_';
            p = next;
            continue;
        }
        for (; p < next; p++)
            *out++ = *p;
    }
    memcpy(out, ".lnk", 5);
    return true;
}
