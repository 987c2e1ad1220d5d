// Stands in for the command interpreter (COMSPEC) in the uninstall tests: records how it was
// started into the file named by KVO_PROBE_OUT, one item a line, and runs nothing.
#include <windows.h>

#include <stdio.h>

int main() {
    char outputPath[MAX_PATH];
    if (!GetEnvironmentVariableA("KVO_PROBE_OUT", outputPath, sizeof(outputPath)))
        return 1;
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof(folder), folder);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD type = (output && output != INVALID_HANDLE_VALUE) ? GetFileType(output) : 0;
    // Written under another name first, so the test never reads half a record.
    char partPath[MAX_PATH + 8];
    snprintf(partPath, sizeof(partPath), "%s.part", outputPath);
    FILE* file = fopen(partPath, "wb");
    if (!file)
        return 1;
    fprintf(file, "%s\n%lu\n%u\n%lu\n%s\n", GetCommandLineA(), startup.dwFlags,
            static_cast<unsigned>(startup.wShowWindow), type, folder);
    fclose(file);
    MoveFileA(partPath, outputPath);
    return 0;
}
