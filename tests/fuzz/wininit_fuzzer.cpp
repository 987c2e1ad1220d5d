// libFuzzer target: the WININIT.INI editor of the deletions at the restart on arbitrary text.
// The first byte chooses the path's length (up to 1,023 bytes, its bound); the rest is the file
// as read, up to the editor's 16 KB buffer and past it (the caller reads at most that much). The
// buffer is a heap block of exactly that size. Either the text comes back unchanged and -1, or
// it holds the old text with "NUL=path" on a line of its own inserted in one place, inside
// a [rename] section, and nothing was written past the new length.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "driver/restart_deletion.h"

static bool Lower(char c, char expected) { return (c | 0x20) == expected; }

// Whether the line before at (which must end there) begins with "[rename]", its letters in any
// case: the line goes right after the section's header.
static bool AfterRenameHeader(const std::string& text, size_t at) {
    if (at < 1 || text[at - 1] != '\n')
        return false;
    size_t start = at >= 2 ? text.rfind('\n', at - 2) : std::string::npos;
    start = start == std::string::npos ? 0 : start + 1;
    if (at - start < 9 || text[start] != '[' || text[start + 7] != ']')
        return false;
    for (int i = 1; i < 7; i++)
        if (!Lower(text[start + i], "[rename]"[i]))
            return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    size_t pathLength = 1 + data[0] * 4;  // 1 to 1,021 bytes
    std::string path = "C:\\" + std::string(pathLength > 3 ? pathLength - 3 : 0, 'k');
    size_t length = size - 1 < static_cast<size_t>(WininitSize) ? size - 1 : WininitSize;
    char* text = static_cast<char*>(malloc(WininitSize));
    memcpy(text, data + 1, length);
    const std::string before(text, length);
    int result = AddDeletionLine(text, static_cast<int>(length), WininitSize, path.c_str());
    if (result < 0) {
        if (std::string(text, length) != before)
            abort();  // refused, yet changed
    } else {
        if (result > WininitSize || static_cast<size_t>(result) <= length)
            abort();
        std::string after(text, result);
        const std::string line = "NUL=" + path + "\r\n";
        size_t added = after.size() - before.size();
        // Some copy of the line (the old text may hold the same one) ends the inserted part,
        // with the old text whole and in order around it, right after a [rename] header.
        bool found = false;
        for (size_t at = after.find(line); !found && at != std::string::npos; at = after.find(line, at + 1)) {
            size_t end = at + line.size();
            found = end >= added && after.compare(0, end - added, before, 0, end - added) == 0 &&
                    after.compare(end, std::string::npos, before, end - added, std::string::npos) == 0 &&
                    AfterRenameHeader(after, at);
        }
        if (!found)
            abort();
    }
    free(text);
    return 0;
}
