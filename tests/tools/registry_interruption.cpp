// The interruption point of the program's test build (uninstall_interruptible.exe): after each
// registry write or delete it counts the change, appends it to the log named by
// KVO_REGISTRY_LOG (when set), and ends the process with exit code 99 right after the change
// numbered KVO_INTERRUPT_AFTER (when set and above 0): a crash or power cut at that moment.
// It also plays a system that refuses a change as it does without the rights: the change
// numbered KVO_FAIL_AT fails with access denied (it is logged and counted all the same), and
// with KVO_DENY_RIGHTS set the program's check for write access fails.
// It ends as a crash does, with TerminateProcess: ExitProcess would run every library's detach
// code, in the middle of whatever the program was doing (a silent setup makes its changes
// inside the setup dialog's initialisation), which no crash does and where Wine can hang.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int changeCount;
static int interruptAfter = -1;  // -1 until the environment has been read
static int failAt;
static bool denyRights;
static char logPath[MAX_PATH];

typedef LONG(WINAPI* QueryKeyFunction)(HANDLE, int, void*, ULONG, ULONG*);

// Whether *path is the key prefix or lies below it (case aside); if so, moves past it.
static bool StripKey(const char** path, const char* prefix) {
    size_t length = strlen(prefix);
    if (_strnicmp(*path, prefix, length) != 0 || ((*path)[length] && (*path)[length] != '\\'))
        return false;
    *path += length;
    return true;
}

// The log names every key one way, as "HKCR\path", "HKCU\path" or "HKLM\path" with the full
// path below the root, whether the program named it by a full path below a root or by a name
// below an open key (tree deletion): such a key's own name is asked of the system (NtQueryKey,
// "\REGISTRY\MACHINE\SOFTWARE\CLASSES\..." and the like) and put in the same form.
static void NameKey(HKEY root, const char* path, char* name, size_t size) {
    if (root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE) {
        _snprintf(name, size - 1, "%s\\%s",
                  root == HKEY_CLASSES_ROOT ? "HKCR" : root == HKEY_CURRENT_USER ? "HKCU" : "HKLM", path);
        name[size - 1] = '\0';
        return;
    }
    char parent[1024] = "(unnamed)";
    QueryKeyFunction queryKey = reinterpret_cast<QueryKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
    ULONG info[1024];  // KEY_NAME_INFORMATION: the length in bytes, then the name (UTF-16)
    ULONG got = 0;
    if (queryKey && queryKey(root, 3 /* KeyNameInformation */, info, sizeof(info) - 2, &got) == 0) {
        WCHAR* wide = reinterpret_cast<WCHAR*>(info + 1);
        wide[info[0] / sizeof(WCHAR)] = 0;
        char full[1024];
        WideCharToMultiByte(CP_ACP, 0, wide, -1, full, sizeof(full), nullptr, nullptr);
        const char* rest = full;
        const char* rootName = "(unnamed)";
        if (StripKey(&rest, "\\REGISTRY\\MACHINE\\SOFTWARE\\CLASSES")) {
            rootName = "HKCR";
        } else if (StripKey(&rest, "\\REGISTRY\\MACHINE")) {
            rootName = "HKLM";
        } else if (StripKey(&rest, "\\REGISTRY\\USER")) {
            rootName = "HKCU";  // the key below the user's SID
            for (rest += *rest == '\\'; *rest && *rest != '\\'; rest++) {
            }
        }
        _snprintf(parent, sizeof(parent) - 1, "%s%s", rootName, rest);
        parent[sizeof(parent) - 1] = '\0';
    }
    _snprintf(name, size - 1, "%s\\%s", parent, path);
    name[size - 1] = '\0';
}

static int NumberFromEnvironment(const char* name) {
    char number[16] = "";
    GetEnvironmentVariableA(name, number, sizeof(number));
    return atoi(number);
}

static void ReadEnvironment() {
    if (interruptAfter >= 0)
        return;
    interruptAfter = NumberFromEnvironment("KVO_INTERRUPT_AFTER");
    failAt = NumberFromEnvironment("KVO_FAIL_AT");
    denyRights = NumberFromEnvironment("KVO_DENY_RIGHTS") != 0;
    if (!GetEnvironmentVariableA("KVO_REGISTRY_LOG", logPath, sizeof(logPath)))
        logPath[0] = '\0';
}

bool RegistryChangeRefused(char operation) {
    ReadEnvironment();
    return operation == 'R' ? denyRights : failAt > 0 && changeCount + 1 == failAt;
}

void NoteRegistryChange(char operation, HKEY root, const char* path, const char* valueName) {
    ReadEnvironment();
    changeCount++;
    if (logPath[0]) {
        char key[1024];
        NameKey(root, path, key, sizeof(key));
        char line[1200];
        int length = _snprintf(line, sizeof(line) - 1, "%d %c %s|%s\r\n", changeCount, operation, key,
                               valueName ? valueName : "");
        if (length < 0)
            length = sizeof(line) - 1;
        HANDLE file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written;
            WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
            CloseHandle(file);
        }
    }
    if (interruptAfter > 0 && changeCount == interruptAfter)
        TerminateProcess(GetCurrentProcess(), 99);
}
