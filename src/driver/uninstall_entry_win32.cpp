// The product's entry in the system's list of removable programs.
#include <windows.h>
#include <string.h>

#include "driver/program.h"
#include "lang/message_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "support/system.h"

const char UninstallEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";

bool MayChangeSystemSettings() {
    // 95/98/Me let every user write everywhere. On the NT family an account without
    // administrator rights may read HKEY_LOCAL_MACHINE but not change it: every change would fail
    // one by one, so none is begun.
    return NtMajorVersion() == 0 ||
           (MayWriteRegKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall") &&
            MayWriteRegKey(HKEY_LOCAL_MACHINE, "Software\\Classes"));
}

bool RegisterUninstallEntry() {
    char programPath[1024];
    if (!GetProgramPath(programPath))
        return false;  // a cut path would start some other program
    // The system runs the value as a command line: unquoted, a path with blanks such as
    // C:\Program Files\Krelvo\uninstall.exe could start C:\Program.exe.
    char command[1024 + 2];
    size_t length = strlen(programPath);
    command[0] = '"';
    memcpy(command + 1, programPath, length);
    command[length + 1] = '"';
    command[length + 2] = '\0';
    // The command first: the system lists an entry only once it has a name, and then it can
    // always be run, even when setup was cut off right after this write.
    int failures = FailedRegistryChanges();
    WriteRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", command);
    if (FailedRegistryChanges() != failures)
        return false;
    WriteRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName", MessageText(IDS_DISPLAY_NAME));
    bool whole = FailedRegistryChanges() == failures;
    // The mark of an uninstall that was cut off: this installation is whole again.
    DeleteRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "Removing");
    return whole;
}
