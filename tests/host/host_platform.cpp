// Stand-ins for the Win32 pieces under the host build: the program-wide language store and a
// small string table for MessageText. File over POSIX descriptors is lngtool's
// (tools/lngtool/file_posix.cpp).
#include <stdint.h>
#include <string.h>

#include "host_platform.h"
#include "lang/language_resources.h"
#include "lang/message_text.h"

LanguageResources g_language;

// The host's "string tables": the program's texts and an optional library's.
HostStringTable g_programTable;
HostStringTable g_libraryTable;
bool g_libraryLoaded;

static const char* Find(const HostStringTable& table, int id) {
    for (int i = 0; i < table.count; i++) {
        if (table.ids[i] == id)
            return table.texts[i];
    }
    return nullptr;
}

static int LoadFrom(const HostStringTable& table, int id, char* buffer, int capacity) {
    const char* text = Find(table, id);
    if (!text)
        return 0;
    size_t n = strlen(text);
    if (n > static_cast<size_t>(capacity - 1))
        n = static_cast<size_t>(capacity - 1);
    memcpy(buffer, text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

// LoadStringA over the tables above: the resource module is the library while one is loaded,
// else the program itself.
int LoadTableString(int id, char* buffer, int capacity, bool fromResourceModule) {
    return LoadFrom(fromResourceModule && g_libraryLoaded ? g_libraryTable : g_programTable, id,
                    buffer, capacity);
}
