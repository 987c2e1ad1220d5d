#include "shell/program_file.h"

#include <windows.h>

bool ProgramFolderFile(const char* name, char* path) {
    const DWORD size = 1024;
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    // A full buffer means the path was cut (and, before Vista, maybe not terminated).
    if (length == 0 || length >= size) {
        path[0] = '\0';
        return false;
    }
    return ReplaceFileName(path, size, name);
}
