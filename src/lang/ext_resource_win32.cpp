#include "lang/ext_resource.h"

#include <string.h>

#include "support/system.h"
#include "support/text.h"

HINSTANCE ResourceModule;
HINSTANCE ProgramInstance;

void ExtResource::Load(HINSTANCE instance, const char* path) {
    Release();
    char libraryPath[1024];
    // A path cut to the buffer could name another folder: then no library is loaded at all.
    bool whole;
    if (path) {
        whole = strlen(path) < sizeof(libraryPath);
        if (whole)
            strcpy(libraryPath, path);
    } else {
        whole = GetProgramPath(libraryPath);
    }
    const char libraryName[] = "kvolng.dll";
    HMODULE library = nullptr;
    char* name = whole ? FileNamePart(libraryPath) : nullptr;
    if (name && static_cast<size_t>(name - libraryPath) + sizeof(libraryName) <= sizeof(libraryPath)) {
        memcpy(name, libraryName, sizeof(libraryName));
        library = LoadLibraryA(libraryPath);
    }
    ProgramInstance = instance;
    if (library) {
        ResourceModule = library;
        loaded = true;
    } else {
        ResourceModule = instance;
    }
}

void ExtResource::Release() {
    if (!loaded)
        return;
    FreeLibrary(ResourceModule);
    ResourceModule = ProgramInstance;
    loaded = false;
}
