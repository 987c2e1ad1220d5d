#include "driver/files_in_use.h"

#include <string.h>

#include <windows.h>

#include "driver/program.h"
#include "driver/restart_deletion.h"
#include "driver/uninstall_list.h"
#include "lang/message_text.h"
#include "resources/resource.h"
#include "support/format_text.h"
#include "support/run_log.h"
#include "support/system.h"
#include "support/text.h"

// Reached at run time: MoveFileExA does nothing on 95/98/Me, and neither it nor the two path
// queries are among the functions checked against the export tables of 95 and NT 4.0.
typedef BOOL(WINAPI* MoveFileExFunction)(const char*, const char*, DWORD);
typedef DWORD(WINAPI* ShortPathFunction)(const char*, char*, DWORD);
typedef UINT(WINAPI* WindowsFolderFunction)(char*, UINT);

// A running program's file cannot be opened for writing: both families refuse with a sharing
// violation (a missing or read-only file is not in use).
static bool IsInUse(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

int ProgramsClosed(FILE* list, const char* folder, const char* programPath) {
    for (;;) {
        char path[ListPathSize];
        FormatWithText(path, sizeof(path), "%sKrelvo.exe", folder);
        bool busy = IsInUse(path);
        while (!busy && list && NextListPath(list, folder, path)) {
            size_t n = strlen(path);
            busy = n > 4 && CompareIgnoreCase(path + n - 4, ".exe") == 0 && IsInUse(path) &&
                   !IsSameFile(path, programPath);
        }
        if (list)
            rewind(list);
        if (!busy)
            return ExitDone;
        // Nobody is there to close it: the silent run changes nothing.
        if (SilentSetup)
            return ExitNotDone;
        char text[1024];
        FormatWithText(text, sizeof(text), MessageText(IDS_PROGRAM_IN_USE), path);
        if (MessageBoxA(nullptr, text, MessageText(IDS_UNINSTALL_TITLE),
                        MB_RETRYCANCEL | MB_ICONWARNING | MB_SETFOREGROUND) != IDRETRY)
            return ExitDeclined;
    }
}

// NT family: a pending delete of the system's. 95/98/Me: a "NUL=" line with the short path in
// the [rename] section of WININIT.INI, which the system reads while it starts.
static bool DeleteAtRestart(const char* path, const char* folder) {
    if (!IsInOrBelowFolder(path, folder))
        return false;
    if (NtMajorVersion()) {
        MoveFileExFunction move = reinterpret_cast<MoveFileExFunction>(Kernel32Function("MoveFileExA"));
        return move && move(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    ShortPathFunction shortPath = reinterpret_cast<ShortPathFunction>(Kernel32Function("GetShortPathNameA"));
    WindowsFolderFunction windows =
        reinterpret_cast<WindowsFolderFunction>(Kernel32Function("GetWindowsDirectoryA"));
    char name[1024];
    char ini[1024 + 12];
    if (!shortPath || !windows)
        return false;
    DWORD n = shortPath(path, name, sizeof(name));
    UINT w = windows(ini, 1024);
    // Unsigned: 0, a failure, becomes the largest value.
    if (n - 1 >= sizeof(name) - 1 || w - 1 >= 1024 - 1)
        return false;
    strcat(AppendBackslash(ini), "WININIT.INI");
    HANDLE file = CreateFileA(ini, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static char text[WininitSize];
    DWORD length = 0;
    int total = ReadFile(file, text, sizeof(text), &length, nullptr) && length < sizeof(text)
                    ? AddDeletionLine(text, static_cast<int>(length), sizeof(text), name)
                    : -1;
    // The text only grows, so writing it whole from the start replaces every old byte.
    DWORD written = 0;
    bool ok = total >= 0 && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
              WriteFile(file, text, static_cast<DWORD>(total), &written, nullptr) &&
              written == static_cast<DWORD>(total);
    CloseHandle(file);
    return ok;
}

// Deletes a file at the restart, and after it (NT family) its folders up to the program
// folder, innermost first. On the NT family the file first takes a fresh name in its folder
// (name.~0 to name.~9): a new installation before the restart then puts its own file under
// the old name, and the pending delete does not hit it.
static bool DeleteAtRestartWithFolders(const char* file, const char* folder) {
    char path[ListPathSize + 4];
    size_t n = strlen(file);  // below ListPathSize
    memcpy(path, file, n + 1);
    bool ntFamily = NtMajorVersion() != 0;
    MoveFileExFunction move = reinterpret_cast<MoveFileExFunction>(Kernel32Function("MoveFileExA"));
    if (ntFamily && move) {
        memcpy(path + n, ".~0", 4);
        for (; path[n + 2] <= '9' && !move(file, path, 0); path[n + 2]++) {
        }
        if (path[n + 2] > '9')
            path[n] = '\0';
    }
    if (!DeleteAtRestart(path, folder)) {
        // Not scheduled, the file keeps its name: the user is told to delete it by that name.
        if (path[n])
            move(path, file, 0);
        return false;
    }
    // 95/98/Me leave the folders: WININIT.INI is not known to remove folders on every one.
    while (ntFamily && CutToParentFolder(path, folder))
        DeleteAtRestart(path, folder);
    return true;
}

int DeleteFilesInUseAtRestart(FILE* list, const char* folder, const char* programPath) {
    rewind(list);
    bool scheduled = false;
    bool stayed = false;
    char stayedNames[1024] = "";  // the files that stay, one a line, as many as fit
    char path[ListPathSize];
    while (NextListPath(list, folder, path)) {
        DWORD attributes = GetFileAttributesA(path);
        // Gone, a folder (which keeps what else is in it), or the program's own file, which the
        // self-removal script takes.
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            IsSameFile(path, programPath))
            continue;
        bool later = DeleteAtRestartWithFolders(path, folder);
        RunLog(later ? "deleted at the restart: %s" : "left: %s", path);
        if (later) {
            scheduled = true;
            continue;
        }
        size_t used = strlen(stayedNames);
        size_t length = strlen(path);
        if (used + 1 + length < sizeof(stayedNames)) {
            if (used)
                stayedNames[used++] = '\n';
            memcpy(stayedNames + used, path, length + 1);
        }
        stayed = true;
    }
    // Before the self-removal script starts: its tries to delete the program file run as soon
    // as the program has ended.
    if (scheduled && !SilentSetup)
        MessageBoxA(nullptr, MessageText(IDS_DELETED_AT_RESTART), MessageText(IDS_UNINSTALL_TITLE),
                    MB_ICONINFORMATION | MB_SETFOREGROUND);
    if (stayed && !SilentSetup) {
        char text[1024 + 256];
        FormatWithText(text, sizeof(text), MessageText(IDS_DELETE_MANUALLY), stayedNames);
        MessageBoxA(nullptr, text, MessageText(IDS_UNINSTALL_TITLE), MB_ICONWARNING | MB_SETFOREGROUND);
    }
    return stayed ? ExitNotDone : scheduled ? ExitRestartNeeded : ExitDone;
}

bool DeleteProgramAtRestart(const char* programPath) {
    char folder[ListPathSize];
    memcpy(folder, programPath, strlen(programPath) + 1);
    FileNamePart(folder)[0] = '\0';
    return folder[0] && DeleteAtRestartWithFolders(programPath, folder);
}
