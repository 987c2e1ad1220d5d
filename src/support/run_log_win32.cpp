#include "support/run_log.h"

#include <stdarg.h>

#include <windows.h>

#include "support/system.h"

static HANDLE logFile;  // null while no log is open
static DWORD startTicks;

// The C library's formatting, reached at run time: no function outside those checked against
// the export tables of Windows 95 and NT 4.0 enters the import table for the log's sake.
typedef int(__cdecl* FormatCall)(char*, size_t, const char*, va_list);
static FormatCall formatCall;

// Formats into buffer (size bytes), always terminated, cut to fit; the length.
static int FormatText(char* buffer, int size, const char* format, va_list arguments) {
    int length = formatCall(buffer, static_cast<size_t>(size - 1), format, arguments);
    if (length < 0 || length > size - 1)
        length = size - 1;
    buffer[length] = '\0';
    return length;
}

static int Format(char* buffer, int size, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int length = FormatText(buffer, size, format, arguments);
    va_end(arguments);
    return length;
}

bool RunLogOpen() { return logFile != nullptr; }

bool StartRunLog() {
    typedef void(WINAPI * LocalTimeCall)(SYSTEMTIME*);
    LocalTimeCall localTime = reinterpret_cast<LocalTimeCall>(Kernel32Function("GetLocalTime"));
    formatCall = reinterpret_cast<FormatCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_vsnprintf")));
    char path[1024 + 64];
    DWORD tempLength = GetTempPathA(1024, path);
    // Unsigned: 0, a failure, becomes the largest value; so does a path that did not fit.
    if (!localTime || !formatCall || tempLength - 1 >= 1024 - 1)
        return false;
    SYSTEMTIME now;
    localTime(&now);
    // CREATE_NEW fails where any name stands: a file, a hard link to another file, a folder. A
    // symbolic link (Windows 2000 and later) is met as itself, never followed to where it
    // points; the older systems know neither the links nor the flag.
    DWORD flags = NtMajorVersion() >= 5 ? FILE_FLAG_OPEN_REPARSE_POINT : 0;
    for (int number = 1; number <= 999 && !logFile; number++) {
        Format(path + tempLength, 64, "Krelvo setup %04u-%02u-%02u #%03d.log", now.wYear, now.wMonth, now.wDay,
               number);
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, flags, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            logFile = file;
    }
    startTicks = GetTickCount();
    RunLog("%s %02u:%02u:%02u", path + tempLength, now.wHour, now.wMinute, now.wSecond);
    return RunLogOpen();
}

void RunLog(const char* format, ...) {
    if (!RunLogOpen())
        return;
    char line[1024];
    int length = Format(line, sizeof(line) - 2, "%6lu ms  ", GetTickCount() - startTicks);
    va_list arguments;
    va_start(arguments, format);
    length += FormatText(line + length, sizeof(line) - 2 - length, format, arguments);
    va_end(arguments);
    line[length++] = '\r';
    line[length++] = '\n';
    DWORD written;
    WriteFile(logFile, line, static_cast<DWORD>(length), &written, nullptr);
}

void EndRunLog(int exitCode) {
    RunLog("exit code %d after %lu ms", exitCode, GetTickCount() - startTicks);
    if (RunLogOpen())
        CloseHandle(logFile);
    logFile = nullptr;
}

bool DeleteFileNoted(const char* path) {
    if (!DeleteFileA(path))
        return false;
    RunLog("deleted %s", path);
    return true;
}

bool RemoveFolderNoted(const char* path) {
    if (!RemoveDirectoryA(path))
        return false;
    RunLog("deleted folder %s", path);
    return true;
}
