#include "registry/reg_text.h"

#include <string.h>

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
