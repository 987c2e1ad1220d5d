// A stand-in for the archiver: records the command line it was started with in ran.txt beside
// itself, then ends.
#include <windows.h>

#include <string.h>

int main() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return 1;
    strcpy(strrchr(path, '\\') + 1, "ran.txt");
    const char* line = GetCommandLineA();
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
