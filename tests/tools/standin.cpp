// A stand-in for the archiver: records the command line it was started with in ran.txt beside
// itself, and the process id of the process that started it in parent.txt, then ends. Its
// version resource (standin.rc) is what setup reads into the uninstall entry.
#include <windows.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

static bool WriteBeside(char* path, const char* name, const char* text) {
    strcpy(strrchr(path, '\\') + 1, name);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written;
    WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    CloseHandle(file);
    return true;
}

static DWORD ParentProcessId() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    CloseHandle(snapshot);
    return parent;
}

int main() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (n == 0 || n >= sizeof(path))
        return 1;
    // parent.txt first: a test that sees ran.txt finds both.
    char parent[16];
    snprintf(parent, sizeof(parent), "%lu", static_cast<unsigned long>(ParentProcessId()));
    if (!WriteBeside(path, "parent.txt", parent))
        return 1;
    return WriteBeside(path, "ran.txt", GetCommandLineA()) ? 0 : 1;
}
