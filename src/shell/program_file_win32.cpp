#include "shell/program_file.h"

#include "support/system.h"

bool ProgramFolderFile(const char* name, char* path) {
    if (!GetProgramPath(path))
        return false;
    return ReplaceFileName(path, 1024, name);
}
