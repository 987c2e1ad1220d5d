// The program classes Krelvo's extensions point to, the ".rev" mapping and the App Paths entry.
#include <windows.h>
#include <shlobj.h>

#include "lang/message_text.h"
#include "registry/reg_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "shell/capabilities.h"
#include "shell/program_file.h"
#include "shell/shell.h"

static const char AppPathKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Krelvo.exe";

void RegisterProgramClasses() {
    // Without a whole path to Krelvo.exe the commands and icons are not written: an empty
    // path, or the path of this program itself, would make opening an archive start the
    // wrong program. The descriptions and the ".rev" mapping need no path.
    char program[1024];
    bool havePath = ProgramFolderFile("Krelvo.exe", program);
    // The program's path with quotes and "%1", or with an icon index.
    char command[1024 + 8];
    char archiveIcon[1024 + 4];
    char volumeIcon[1024 + 4];
    havePath = havePath && ConcatText(command, sizeof(command), "\"", program, "\" \"%1\"") &&
               ConcatText(archiveIcon, sizeof(archiveIcon), program, ",0") &&
               ConcatText(volumeIcon, sizeof(volumeIcon), program, ",1");

    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo", "", MessageText(IDS_ARCHIVE_CLASS));
    if (havePath) {
        WriteRegString(HKEY_CLASSES_ROOT, "Krelvo\\shell\\open\\command", "", command);
        WriteRegString(HKEY_CLASSES_ROOT, "Krelvo\\DefaultIcon", "", archiveIcon);
    }
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.ZIP", "", MessageText(IDS_ZIP_CLASS));
    if (havePath) {
        WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.ZIP\\shell\\open\\command", "", command);
        WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.ZIP\\DefaultIcon", "", archiveIcon);
    }
    WriteRegString(HKEY_CLASSES_ROOT, ".rev", "", "Krelvo.REV");
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.REV", "", MessageText(IDS_RECOVERY_CLASS));
    if (havePath) {
        WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.REV\\shell\\open\\command", "", command);
        WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.REV\\DefaultIcon", "", volumeIcon);
    }
    RegisterCapabilities();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void RegisterAppPath() {
    // An entry without the executable's whole path would name no program, or this one.
    char program[1024];
    if (!ProgramFolderFile("Krelvo.exe", program))
        return;
    WriteRegString(HKEY_LOCAL_MACHINE, AppPathKey, "", program);
    char folder[1024];
    DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
    // A folder that could not be had whole is not written at all.
    if (length != 0 && length < sizeof(folder))
        WriteRegString(HKEY_LOCAL_MACHINE, AppPathKey, "Path", folder);
}
