// libFuzzer target: the Uninstall.lst reader on arbitrary list bytes. The first byte chooses
// the code page (Big5 or single-byte) and the program folder; the rest is the list. Every path
// the reader yields must fit its buffer (a heap block of exactly that size), begin with the
// folder, and still lie inside the folder once "." and ".." are resolved the way Windows
// resolves them, which this target does itself.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "driver/uninstall_list.h"
#include "test_support.h"

// Windows strips trailing dots and blanks from a name, so "...", ". ." and " .." all end up
// empty; such a component is taken as a step up, the worst it could mean.
static bool StepsUp(const char* start, const char* end) {
    while (end > start && (end[-1] == '.' || end[-1] == ' '))
        end--;
    return end == start;
}

// The entry's depth below the folder never drops under zero, and it names no drive or stream.
static bool StaysInside(const char* entry) {
    if (!*entry || entry[0] == '\\' || entry[0] == '/')
        return false;
    int depth = 0;
    const char* component = entry;
    for (const char* p = entry;;) {
        if (*p == ':')
            return false;
        if (*p == '\\' || *p == '/' || *p == '\0') {
            bool dot = p - component == 1 && component[0] == '.';
            if (!dot && p > component)
                depth += StepsUp(component, p) ? -1 : 1;
            if (depth < 0)
                return false;
            if (*p == '\0')
                return true;
            component = ++p;
            continue;
        }
        // A lead byte takes the next byte with it (a trail byte 0x5C divides nothing).
        unsigned char c = static_cast<unsigned char>(*p);
        p += LeadByteTable[c] && p[1] ? 2 : 1;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const std::string folders[] = {
        "C:\\Program Files\\Krelvo\\", "C:\\", "C:\\\xB3\x5C\\",
        // Long enough that entries near the limit are joined or left out.
        "C:\\" + std::string(1000, 'f') + "\\",
    };
    const std::string& folder = folders[(data[0] >> 1) % 4];
    CodePageScope codePage((data[0] & 1) != 0);

    FILE* list = size > 1 ? fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb") : nullptr;
    if (!list)
        return 0;
    char* path = static_cast<char*>(malloc(ListPathSize));
    while (NextListPath(list, folder.c_str(), path)) {
        size_t length = strnlen(path, ListPathSize);
        if (length >= ListPathSize)
            abort();  // unterminated within its buffer
        if (length <= folder.size() || memcmp(path, folder.data(), folder.size()) != 0)
            abort();  // not a name inside the folder
        if (!StaysInside(path + folder.size()))
            abort();  // leaves the folder
    }
    free(path);
    fclose(list);
    return 0;
}
