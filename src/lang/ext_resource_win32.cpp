#include "lang/ext_resource.h"

#include <string.h>

#include "support/text.h"

HINSTANCE ResourceModule;
HINSTANCE ProgramInstance;

void ExtResource::Load(HINSTANCE instance, const char* path) {
    Release();
    char libraryPath[1024];
    if (path) {
        strncpy(libraryPath, path, sizeof(libraryPath) - 1);
        libraryPath[sizeof(libraryPath) - 1] = '\0';
    } else if (!GetModuleFileNameA(nullptr, libraryPath, sizeof(libraryPath))) {
        libraryPath[0] = '\0';
    }
    libraryPath[sizeof(libraryPath) - 1] = '\0';  // GetModuleFileNameA may fill without one on XP
    char* name = FileNamePart(libraryPath);
    const char libraryName[] = "kvolng.dll";
    HMODULE library = nullptr;
    if (static_cast<size_t>(name - libraryPath) + sizeof(libraryName) <= sizeof(libraryPath)) {
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
