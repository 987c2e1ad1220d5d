// The program classes Krelvo's extensions point to, the ".rev" mapping and the App Paths entry.
#include <windows.h>
#include <shlobj.h>

#include "lang/message_text.h"
#include "registry/reg_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "shell/capabilities.h"
#include "shell/shell.h"

static const char AppPathKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Krelvo.exe";

void RegisterProgramClasses(const char* archiver) {
    // The archiver's path (below 1024 bytes) with quotes and "%1", or with an icon index.
    char command[1024 + 8];
    char archiveIcon[1024 + 4];
    char volumeIcon[1024 + 4];
    ConcatText(command, sizeof(command), "\"", archiver, "\" \"%1\"");
    ConcatText(archiveIcon, sizeof(archiveIcon), archiver, ",0");
    ConcatText(volumeIcon, sizeof(volumeIcon), archiver, ",1");

    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo", "", MessageText(IDS_ARCHIVE_CLASS));
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo\\shell\\open\\command", "", command);
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo\\DefaultIcon", "", archiveIcon);
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.ZIP", "", MessageText(IDS_ZIP_CLASS));
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.ZIP\\shell\\open\\command", "", command);
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.ZIP\\DefaultIcon", "", archiveIcon);
    WriteRegString(HKEY_CLASSES_ROOT, ".rev", "", "Krelvo.REV");
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.REV", "", MessageText(IDS_RECOVERY_CLASS));
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.REV\\shell\\open\\command", "", command);
    WriteRegString(HKEY_CLASSES_ROOT, "Krelvo.REV\\DefaultIcon", "", volumeIcon);
    RegisterCapabilities();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

void RegisterAppPath(const char* archiver) {
    WriteRegString(HKEY_LOCAL_MACHINE, AppPathKey, "", archiver);
    char folder[1024];
    DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
    // A folder that could not be had whole is not written at all.
    if (length != 0 && length < sizeof(folder))
        WriteRegString(HKEY_LOCAL_MACHINE, AppPathKey, "Path", folder);
}

void UnregisterAppPath() { DeleteRegKey(HKEY_LOCAL_MACHINE, AppPathKey); }
