// The product's entry in the system's list of removable programs.
#include <windows.h>
#include <string.h>

#include "driver/entry_values.h"
#include "driver/program.h"
#include "driver/uninstall_list.h"
#include "lang/message_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "support/system.h"
#include "support/text.h"

const char UninstallEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";

bool MayChangeSystemSettings() {
    // 95/98/Me let every user write everywhere. On the NT family an account without
    // administrator rights may read HKEY_LOCAL_MACHINE but not change it: every change would fail
    // one by one, so none is begun.
    return NtMajorVersion() == 0 ||
           (MayWriteRegKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall") &&
            MayWriteRegKey(HKEY_LOCAL_MACHINE, "Software\\Classes"));
}

typedef DWORD(WINAPI* VersionSizeFunction)(const char*, DWORD*);
typedef BOOL(WINAPI* VersionInfoFunction)(const char*, DWORD, DWORD, void*);
typedef BOOL(WINAPI* VersionQueryFunction)(const void*, const char*, void**, UINT*);
typedef void(WINAPI* LocalTimeFunction)(SYSTEMTIME*);

// The archiver's file version and its maker, from its version resource. version.dll is not
// among the libraries the program imports: it is loaded for this and let go. A value that
// cannot be formed is deleted, so that a setup over an archiver that lost its version resource
// does not leave the previous one's.
static void WriteArchiverVersion(const char* archiver) {
    bool versionWritten = false, publisherWritten = false;
    HMODULE library = LoadLibraryA("version.dll");
    VersionSizeFunction size = nullptr;
    VersionInfoFunction info = nullptr;
    VersionQueryFunction query = nullptr;
    if (library) {
        size = reinterpret_cast<VersionSizeFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoSizeA")));
        info = reinterpret_cast<VersionInfoFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "GetFileVersionInfoA")));
        query = reinterpret_cast<VersionQueryFunction>(
            reinterpret_cast<void*>(GetProcAddress(library, "VerQueryValueA")));
    }
    static char resource[16384];
    DWORD handle = 0;
    DWORD length = size && info && query ? size(archiver, &handle) : 0;
    void* value = nullptr;
    UINT valueLength = 0;
    if (length && length <= sizeof(resource) && info(archiver, 0, length, resource)) {
        if (query(resource, "\\", &value, &valueLength) && valueLength >= sizeof(VS_FIXEDFILEINFO)) {
            const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
            char version[VersionTextSize];
            FormatVersion(version, fixed->dwFileVersionMS, fixed->dwFileVersionLS);
            WriteRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayVersion", version);
            WriteRegDword(HKEY_LOCAL_MACHINE, UninstallEntryKey, "VersionMajor",
                          HIWORD(fixed->dwFileVersionMS));
            WriteRegDword(HKEY_LOCAL_MACHINE, UninstallEntryKey, "VersionMinor",
                          LOWORD(fixed->dwFileVersionMS));
            versionWritten = true;
        }
        // The resource's own first translation, then US English in Unicode and in code page 1252.
        DWORD translations[3];
        translations[0] = query(resource, "\\VarFileInfo\\Translation", &value, &valueLength) && valueLength >= 4
                              ? *static_cast<const DWORD*>(value) : 0;
        translations[1] = 0x04B00409;
        translations[2] = 0x04E40409;
        for (DWORD translation : translations) {
            char path[StringInfoPathSize];
            FormatStringInfoPath(path, translation, "CompanyName");
            if (translation && query(resource, path, &value, &valueLength) && valueLength > 1) {
                WriteRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "Publisher",
                               static_cast<const char*>(value));
                publisherWritten = true;
                break;
            }
        }
    }
    if (library)
        FreeLibrary(library);
    if (!versionWritten) {
        DeleteRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayVersion");
        DeleteRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "VersionMajor");
        DeleteRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "VersionMinor");
    }
    if (!publisherWritten)
        DeleteRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "Publisher");
}

// The size of a file in bytes, 0 for a folder or a name that finds nothing. A name with
// wildcards would find other files, so it counts nothing.
static unsigned long long FileBytes(const char* path) {
    WIN32_FIND_DATAA found;
    if (strchr(path, '*') || strchr(path, '?'))
        return 0;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 0;
    return (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

// Kilobytes of the program and of the files that Uninstall.lst names; false without the list.
static bool InstalledKilobytes(const char* programPath, const char* folder, DWORD* kilobytes) {
    char path[ListPathSize];
    if (strlen(folder) + sizeof("Uninstall.lst") > sizeof(path))
        return false;
    strcat(strcpy(path, folder), "Uninstall.lst");
    FILE* list = fopen(path, "rb");
    if (!list)
        return false;
    unsigned long long bytes = FileBytes(programPath);
    while (NextListPath(list, folder, path)) {
        if (CompareIgnoreCase(path, programPath) != 0)
            bytes += FileBytes(path);
    }
    fclose(list);
    *kilobytes = KilobytesRoundedUp(bytes);
    return true;
}

// The values that tell about the installation, for the list and for package managers; each
// one that cannot be formed is left out (deleted, should an earlier setup have written it).
// folder ends in a backslash.
static void WriteEntryDetails(const char* programPath, const char* folder) {
    HKEY root = HKEY_LOCAL_MACHINE;
    char text[1024 + 16];
    size_t folderLength = strlen(folder);
    memcpy(text, folder, folderLength);
    memcpy(text + folderLength, "Krelvo.exe", sizeof("Krelvo.exe"));
    WriteArchiverVersion(text);
    WriteRegString(root, UninstallEntryKey, "DisplayIcon", strcat(text, ",0"));

    // The folder without its backslash, but for a drive's root (C:\).
    memcpy(text, folder, folderLength + 1);
    if (folderLength > 1 && text[folderLength - 2] != ':')
        text[folderLength - 1] = '\0';
    WriteRegString(root, UninstallEntryKey, "InstallLocation", text);

    DWORD kilobytes = 0;
    if (InstalledKilobytes(programPath, folder, &kilobytes))
        WriteRegDword(root, UninstallEntryKey, "EstimatedSize", kilobytes);
    else
        DeleteRegValue(root, UninstallEntryKey, "EstimatedSize");
    // The home page as the completion dialog's button opens it.
    WriteRegString(root, UninstallEntryKey, "URLInfoAbout", MessageText(IDS_HOME_PAGE));

    LocalTimeFunction localTime = reinterpret_cast<LocalTimeFunction>(Kernel32Function("GetLocalTime"));
    if (localTime) {
        SYSTEMTIME now;
        localTime(&now);
        FormatDate(text, now.wYear, now.wMonth, now.wDay);
        WriteRegString(root, UninstallEntryKey, "InstallDate", text);
    }
    // Setup has no way of changing or repairing an installation: the list offers neither.
    WriteRegDword(root, UninstallEntryKey, "NoModify", 1);
    WriteRegDword(root, UninstallEntryKey, "NoRepair", 1);
}

bool RegisterUninstallEntry() {
    char programPath[1024];
    if (!GetProgramPath(programPath))
        return false;  // a cut path would start some other program
    // The system runs the value as a command line: unquoted, a path with blanks such as
    // C:\Program Files\Krelvo\uninstall.exe could start C:\Program.exe.
    char command[1024 + 5];
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
    // What runs the uninstall without asking: the same command with the silent switch.
    if (whole)
        WriteRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString", strcat(command, " /s"));
    char* name = FileNamePart(programPath);
    if (whole && name > programPath && name[-1] == '\\') {
        char folder[1024];
        memcpy(folder, programPath, name - programPath);
        folder[name - programPath] = '\0';
        WriteEntryDetails(programPath, folder);
    }
    // The mark of an uninstall that was cut off: this installation is whole again.
    DeleteRegValue(HKEY_LOCAL_MACHINE, UninstallEntryKey, "Removing");
    return whole;
}
