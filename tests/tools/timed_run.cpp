// Starts a program, waits for it and prints its wall time in milliseconds and its whole exit
// code, for `make bench`. Timed inside Wine, so Wine's start-up of this tool is not counted,
// only the program's own: from CreateProcess to the end of its process (not of processes it
// started, such as the uninstall's removal script).
//
//   timed_run -- PROGRAM [ARGUMENTS]      prints "MILLISECONDS EXITCODE"
//
// The program gets the rest of this tool's command line as it stands and the current folder.
// Exit status: 0, or 2 when the program could not be started or did not end within 60 s.
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main() {
    // The program's command line: whatever follows the first " -- ", quotes and all.
    const char* line = GetCommandLineA();
    const char* rest = strstr(line, " -- ");
    if (!rest) {
        fprintf(stderr, "usage: timed_run -- PROGRAM [ARGUMENTS]\n");
        return 2;
    }
    char commandLine[4096];
    lstrcpynA(commandLine, rest + 4, sizeof(commandLine));

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    // No handles inherited: the program's own processes must not hold this tool's output open.
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        fprintf(stderr, "timed_run: cannot start %s (error %lu)\n", commandLine, GetLastError());
        return 2;
    }
    DWORD waited = WaitForSingleObject(process.hProcess, 60000);
    QueryPerformanceCounter(&end);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0) {
        fprintf(stderr, "timed_run: %s did not end within 60 s\n", commandLine);
        return 2;
    }
    double milliseconds = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;
    printf("%.1f %lu\n", milliseconds, exitCode);
    return 0;
}
