// The product's entry in the system's list of removable programs.
#include <windows.h>
#include <string.h>

#include "driver/program.h"
#include "lang/message_text.h"
#include "registry/registry.h"
#include "resources/resource.h"

void RegisterUninstallEntry() {
    static const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";
    WriteRegString(HKEY_LOCAL_MACHINE, key, "DisplayName", MessageText(IDS_DISPLAY_NAME));

    char programPath[1024];
    DWORD n = GetModuleFileNameA(nullptr, programPath, sizeof(programPath));
    if (n == 0 || n >= sizeof(programPath))
        return;  // a cut path would start some other program
    // The system runs the value as a command line: unquoted, a path with blanks such as
    // C:\Program Files\Krelvo\uninstall.exe could start C:\Program.exe.
    char command[1024 + 2];
    command[0] = '"';
    memcpy(command + 1, programPath, n);
    command[n + 1] = '"';
    command[n + 2] = '\0';
    WriteRegString(HKEY_LOCAL_MACHINE, key, "UninstallString", command);
}
