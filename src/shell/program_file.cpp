#include "shell/program_file.h"

#include <string.h>

#include "support/text.h"

bool ReplaceFileName(char* path, size_t pathSize, const char* name) {
    char* namePart = FileNamePart(path);
    size_t kept = static_cast<size_t>(namePart - path);
    size_t length = strlen(name);
    if (kept + length >= pathSize)
        return false;
    memcpy(namePart, name, length + 1);
    return true;
}
