// The optional language library kvolng.dll beside the program, and the resource module from
// which dialogs, the icon and (without a language file) messages are loaded.
#pragma once
#include <windows.h>

class ExtResource {
public:
    ~ExtResource() { Release(); }
    // Loads kvolng.dll from beside the given path (or beside the program when path is null);
    // the resource module becomes the library, or the given instance when it cannot be loaded.
    void Load(HINSTANCE instance, const char* path);
    // Frees a loaded library; the resource module returns to the program instance.
    void Release();
    bool IsLoaded() const { return loaded; }

private:
    bool loaded = false;
};

extern ExtResource g_extResource;
extern HINSTANCE ResourceModule;   // the language library while loaded, else the program
extern HINSTANCE ProgramInstance;  // the program's own instance handle
