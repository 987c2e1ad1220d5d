// The interruption point of the program's test build (uninstall_interruptible.exe): after each
// registry write or delete it counts the change, appends it to the log named by
// KVO_REGISTRY_LOG (when set), and ends the process with exit code 99 right after the change
// numbered KVO_INTERRUPT_AFTER (when set and above 0): a crash or power cut at that moment.
// It ends as a crash does, with TerminateProcess: ExitProcess would run every library's detach
// code, in the middle of whatever the program was doing (a silent setup makes its changes
// inside the setup dialog's initialisation), which no crash does and where Wine can hang.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

static int changeCount;
static int interruptAfter = -1;  // -1 until the environment has been read
static char logPath[MAX_PATH];

void NoteRegistryChange(char operation, HKEY root, const char* path, const char* valueName) {
    if (interruptAfter < 0) {
        char number[16] = "";
        GetEnvironmentVariableA("KVO_INTERRUPT_AFTER", number, sizeof(number));
        interruptAfter = atoi(number);
        if (!GetEnvironmentVariableA("KVO_REGISTRY_LOG", logPath, sizeof(logPath)))
            logPath[0] = '\0';
    }
    changeCount++;
    if (logPath[0]) {
        // Tree deletion names a key below its parent's handle: "(parent)".
        const char* rootName = root == HKEY_CLASSES_ROOT    ? "HKCR"
                               : root == HKEY_CURRENT_USER  ? "HKCU"
                               : root == HKEY_LOCAL_MACHINE ? "HKLM"
                                                            : "(parent)";
        char line[1200];
        int length = _snprintf(line, sizeof(line) - 1, "%d %c %s\\%s|%s\r\n", changeCount, operation,
                               rootName, path, valueName ? valueName : "");
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
