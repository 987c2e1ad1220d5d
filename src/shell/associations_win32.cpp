// Taking archive extensions over (with a record of the previous handler below the product
// settings key) and handing them back.
#include <windows.h>

#include <string.h>

#include "registry/reg_text.h"
#include "registry/registry.h"
#include "shell/associations.h"
#include "shell/capabilities.h"
#include "shell/program_file.h"
#include "shell/shell.h"
#include "support/system.h"

static bool IsProductClass(const char* className) {
    return CompareIgnoreCase(className, "Krelvo") == 0 ||
           CompareIgnoreCase(className, "Krelvo.ZIP") == 0;
}

bool IsOwnClass(const char* extension) {
    char className[80];
    ReadRegString(HKEY_CLASSES_ROOT, extension, "", className, "", sizeof(className));
    return IsProductClass(className);
}

// Records the extension's class, content type and new-file entry under "Setup\ext".
static void SaveAssociation(const char* extension, const char* shellNewPath,
                            const char* savedPath) {
    char className[512];
    char contentType[512];
    char fileName[1024];
    char nullFile[10];
    ReadRegString(HKEY_CLASSES_ROOT, extension, "", className, "", sizeof(className));
    ReadRegString(HKEY_CLASSES_ROOT, extension, "Content Type", contentType, "",
                  sizeof(contentType));
    bool hasFileName =
        ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", fileName, "", sizeof(fileName));
    bool hasNullFile =
        ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "NullFile", nullFile, "", sizeof(nullFile));

    WriteSettingDword(savedPath, "Exist", RegKeyExists(HKEY_CLASSES_ROOT, extension) ? 1 : 0);
    WriteSettingString(savedPath, "Type", className);
    WriteSettingString(savedPath, "Content", contentType);
    WriteSettingString(savedPath, "ShellNew", !fileName[0] && hasNullFile ? "*" : fileName);
    // Template bytes kept from an earlier handler must not come back with this one.
    DeleteRegValue(HKEY_CURRENT_USER, savedPath, "ShellNewData");
}

// Before our own new-file entry replaces the ShellNew key of .kvo or .zip: a foreign entry
// given as template bytes ("Data", without "FileName" or "NullFile") is kept in the record,
// with its type, or installing ours would lose it for good. The first one kept stays (a later
// run finds our own entry there); values larger than the bound are not kept. wasOurs: the
// extension was ours before this run, so bytes equal to our template are our own entry.
static void SaveNewFileData(int index, bool wasOurs, const char* shellNewPath,
                            const char* savedPath) {
    unsigned char data[SavedShellNewDataSize];
    DWORD dataSize = 0;
    DWORD type = REG_NONE;
    if (ReadRegValue(HKEY_CURRENT_USER, savedPath, "ShellNewData", data, sizeof(data), &dataSize,
                     nullptr))
        return;
    char text[1024];
    if (ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", text, "", sizeof(text)) ||
        ReadRegString(HKEY_CLASSES_ROOT, shellNewPath, "NullFile", text, "", 10))
        return;
    if (!ReadRegValue(HKEY_CLASSES_ROOT, shellNewPath, "Data", data, sizeof(data), &dataSize,
                      &type))
        return;
    // Our own entry of the 95/98 form, from an earlier run. Taken over from another handler,
    // the same bytes are that handler's: the system's own entry for .zip is such an empty archive.
    const unsigned char* own = index == 0 ? KvoTemplate : ZipTemplate;
    DWORD ownSize = index == 0 ? KvoTemplateSize : ZipTemplateSize;
    if (wasOurs && type == REG_BINARY && dataSize == ownSize && memcmp(data, own, ownSize) == 0)
        return;
    WriteRegValue(HKEY_CURRENT_USER, savedPath, "ShellNewData", type, data, dataSize);
}

// The shell's "New" entry for .kvo (index 0) or .zip (index 1), as the system version wants it.
static void InstallNewFileEntry(int index, const char* shellNewPath) {
    const unsigned char* bytes = index == 0 ? KvoTemplate : ZipTemplate;
    DWORD count = index == 0 ? KvoTemplateSize : ZipTemplateSize;
    DeleteRegKey(HKEY_CLASSES_ROOT, shellNewPath);

    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);  // 148
    GetVersionExA(&version);
    if (!UsesTemplateFile(version.dwMajorVersion, version.dwMinorVersion)) {
        WriteRegBinary(HKEY_CLASSES_ROOT, shellNewPath, "Data", bytes, count);
        return;
    }
    char path[1024];
    if (!ProgramFolderFile(index == 0 ? "kvonew.dat" : "zipnew.dat", path))
        return;
    // An existing template file is left as it is, whatever it holds.
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            BOOL ok = WriteFile(file, bytes, count, &written, nullptr) && written == count;
            CloseHandle(file);
            if (!ok)  // a cut template would stay broken: it is never rewritten
                DeleteFileA(path);
        }
    }
    WriteRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", path);
}

static void Associate(const SetupOptions& options, int index, const char* extension,
                      const char* shellNewPath, const char* savedPath) {
    // Already ours: the record of the handler from before the first run stays.
    bool wasOurs = IsOwnClass(extension);
    if (!wasOurs)
        SaveAssociation(extension, shellNewPath, savedPath);
    // The whole record before the class is taken: cut off after that write, a rerun finds the
    // extension ours and could no longer tell a foreign "Data" from our own.
    bool newFileEntry = options.ShellExt && index <= 1;
    if (newFileEntry)
        SaveNewFileData(index, wasOurs, shellNewPath, savedPath);
    WriteRegString(HKEY_CLASSES_ROOT, extension, "", index == 1 ? "Krelvo.ZIP" : "Krelvo");
    DeleteRegValue(HKEY_CLASSES_ROOT, extension, "Content Type");
    if (index == 0) {
        int volumes = AssociatedVolumeCount(NtMajorVersion() != 0);
        for (int number = 0; number < volumes; number++) {
            char volume[8];
            VolumeExtension(number, volume);
            WriteRegString(HKEY_CLASSES_ROOT, volume, "", "Krelvo");
            DeleteRegValue(HKEY_CLASSES_ROOT, volume, "Content Type");
        }
    }
    if (newFileEntry)
        InstallNewFileEntry(index, shellNewPath);
    AddCapabilityExtension(extension, index == 1 ? "Krelvo.ZIP" : "Krelvo");
}

static void Release(int index, const char* extension, const char* shellNewPath,
                    const char* savedPath) {
    // Our Default Programs values go whoever holds the extension now, before its class.
    RemoveCapabilityExtension(extension, index == 1 ? "Krelvo.ZIP" : "Krelvo");
    // Taken by another program since: it stays as it is.
    if (!IsOwnClass(extension))
        return;
    DWORD exist = ReadSettingDword(savedPath, "Exist", 1);
    char className[512];
    char contentType[512];
    ReadSettingString(savedPath, "Type", className, "", sizeof(className));
    ReadSettingString(savedPath, "Content", contentType, "", sizeof(contentType));
    if (IsProductClass(className))
        className[0] = '\0';  // a class of our own is never restored

    // The volume extensions first, the extension's own class last: cut off before that write,
    // the extension is still ours, and running the uninstall again releases all of it anew.
    if (index == 0) {
        for (int number = 0; number < ReleasedVolumeCount; number++) {
            char volume[8];
            VolumeExtension(number, volume);
            if (exist && className[0]) {
                WriteRegString(HKEY_CLASSES_ROOT, volume, "", className);
                if (contentType[0])
                    WriteRegString(HKEY_CLASSES_ROOT, volume, "Content Type", contentType);
            } else {
                DeleteRegKey(HKEY_CLASSES_ROOT, volume);
            }
        }
    }

    if (exist) {
        if (contentType[0])
            WriteRegString(HKEY_CLASSES_ROOT, extension, "Content Type", contentType);
        else
            DeleteRegValue(HKEY_CLASSES_ROOT, extension, "Content Type");
        char shellNew[1024];
        ReadSettingString(savedPath, "ShellNew", shellNew, "", sizeof(shellNew));
        DeleteRegValue(HKEY_CLASSES_ROOT, shellNewPath, "FileName");
        if (shellNew[0] == '*') {
            WriteRegString(HKEY_CLASSES_ROOT, shellNewPath, "NullFile", "");
        } else if (shellNew[0]) {
            WriteRegString(HKEY_CLASSES_ROOT, shellNewPath, "FileName", shellNew);
        } else if (index <= 1) {
            // Template bytes kept when our entry replaced the key, back with their type
            // (records of earlier versions hold them as REG_BINARY). Other kinds' ShellNew
            // keys were never touched.
            unsigned char data[SavedShellNewDataSize];
            DWORD dataSize = 0;
            DWORD type = REG_BINARY;
            if (ReadRegValue(HKEY_CURRENT_USER, savedPath, "ShellNewData", data, sizeof(data),
                             &dataSize, &type))
                WriteRegValue(HKEY_CLASSES_ROOT, shellNewPath, "Data", type, data, dataSize);
        }
        WriteRegString(HKEY_CLASSES_ROOT, extension, "", className);
    } else {
        DeleteRegKey(HKEY_CLASSES_ROOT, shellNewPath);
        DeleteRegKey(HKEY_CLASSES_ROOT, extension);
    }
}

void SetAssociations(const SetupOptions& options) {
    PlaceTemplateSignatures();
    for (int index = 0; index < ArchiveKindCount; index++) {
        const char* rest = AssociationList[index];
        while (*rest) {
            char extension[16];
            rest = NextExtension(rest, extension, sizeof(extension));
            char shellNewPath[32];
            char savedPath[32];
            ConcatText(shellNewPath, sizeof(shellNewPath), extension, "\\ShellNew");
            ConcatText(savedPath, sizeof(savedPath), "Setup\\", extension);
            if (options.Associate[index])
                Associate(options, index, extension, shellNewPath, savedPath);
            else
                Release(index, extension, shellNewPath, savedPath);
        }
    }
}
