// Shortcuts on the desktop and in the Start menu, and the program group "Krelvo" for the
// user and (NT family) for all users: created when chosen, removed otherwise.
#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>
#include <string.h>

#include "lang/message_text.h"
#include "resources/resource.h"
#include "shell/shell.h"
#include "shell/shortcut_paths.h"
#include "shell/shortcuts.h"
#include "support/run_log.h"
#include "support/system.h"
#include "support/text.h"

static const char* const ProgramName = "Krelvo";

bool CreateShortcut(const char* target, const char* linkPath, const char* description) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target);
    link->SetDescription(description);
    bool saved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        // The link object takes a wide path of at most MAX_PATH characters; a longer one does
        // not convert and no link is written.
        WCHAR widePath[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH))
            saved = SUCCEEDED(file->Save(widePath, TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

static void FreeIdList(IMalloc* allocator, LPITEMIDLIST list) {
    if (allocator)
        allocator->Free(list);
    else
        CoTaskMemFree(list);
}

// folder: 1024 bytes. False when the special folder cannot be located or has no path.
static bool GetSpecialFolder(int csidl, IMalloc* allocator, char* folder) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)))
        return false;
    // SHGetPathFromIDListA writes at most MAX_PATH bytes.
    bool located = SHGetPathFromIDListA(list, folder) != FALSE;
    FreeIdList(allocator, list);
    return located && folder[0];
}

bool GetDesktopFolder(char* folder) {
    IMalloc* allocator = nullptr;
    SHGetMalloc(&allocator);
    bool located = GetSpecialFolder(CSIDL_DESKTOPDIRECTORY, allocator, folder);
    if (allocator)
        allocator->Release();
    return located;
}

bool RemoveFolder(char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    // pFrom is a list of names ended by an empty one.
    path[strlen(path) + 1] = '\0';
    SHFILEOPSTRUCTA operation;
    memset(&operation, 0, sizeof(operation));
    operation.wFunc = FO_DELETE;
    operation.pFrom = path;
    // No dialog of any kind: a file that cannot be deleted stays, and nothing is reported.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    if (SHFileOperationA(&operation) != 0)
        return false;
    RunLog("deleted folder %s", path);
    return true;
}

// The link "Krelvo.lnk" in a folder: written when chosen, deleted otherwise.
static void PlaceProgramLink(const char* folder, const char* target, bool chosen) {
    char linkPath[1024];
    if (!ComposeLinkPath(linkPath, sizeof(linkPath), folder, ProgramName))
        return;
    if (!chosen)
        DeleteFileNoted(linkPath);
    else if (target[0])
        CreateShortcut(target, linkPath, ProgramName);
}

// The group "Krelvo" below a Programs folder with its three links, or its removal.
static void PlaceProgramGroup(const char* programsFolder, const char* const* linkNames,
                              const char* const* targets, bool chosen, char* programGroupPath) {
    char group[1024];
    // The folder, a backslash, the name, the terminator, and the second NUL of RemoveFolder.
    size_t length = strlen(programsFolder);
    if (length + 1 + sizeof("Krelvo") + 1 > sizeof(group))
        return;
    memcpy(group, programsFolder, length + 1);
    AppendBackslash(group);
    strcat(group, ProgramName);
    if (!chosen) {
        RemoveFolder(group);
        return;
    }
    if (programGroupPath)
        memcpy(programGroupPath, group, strlen(group) + 1);  // both 1024 bytes
    CreateDirectoryA(group, nullptr);
    for (int i = 0; i < 3; i++) {
        char linkPath[1024];
        if (targets[i][0] && ComposeLinkPath(linkPath, sizeof(linkPath), group, linkNames[i]))
            CreateShortcut(targets[i], linkPath, ProgramName);
    }
}

void SetShortcuts(const SetupOptions& options, char* programGroupPath) {
    char modulePath[1024];
    GetProgramPath(modulePath);  // empty when it cannot be had whole
    // Targets beside the program; an empty one (path too long) writes no link.
    char targets[3][1024];
    static const char* const targetNames[3] = {"Krelvo.exe", "Krelvo.hlp", "Kvo.txt"};
    for (int i = 0; i < 3; i++) {
        if (!modulePath[0] || !ComposeSiblingPath(targets[i], sizeof(targets[i]), modulePath,
                                                  targetNames[i]))
            targets[i][0] = '\0';
    }

    IMalloc* allocator = nullptr;
    SHGetMalloc(&allocator);
    char folder[1024];
    if (GetDesktopFolder(folder))
        PlaceProgramLink(folder, targets[0], options.Desktop != 0);
    if (GetSpecialFolder(CSIDL_STARTMENU, allocator, folder))
        PlaceProgramLink(folder, targets[0], options.StartMenu != 0);

    // The group's folder name and its first link keep their names in every language.
    char helpName[256], manualName[256];
    strcpy(helpName, MessageText(IDS_HELP_LINK));
    strcpy(manualName, MessageText(IDS_MANUAL_LINK));
    const char* const linkNames[3] = {ProgramName, helpName, manualName};
    const char* const targetPaths[3] = {targets[0], targets[1], targets[2]};
    if (GetSpecialFolder(CSIDL_PROGRAMS, allocator, folder))
        PlaceProgramGroup(folder, linkNames, targetPaths, options.Programs != 0, programGroupPath);
    if (NtMajorVersion() && GetSpecialFolder(CSIDL_COMMON_PROGRAMS, allocator, folder))
        PlaceProgramGroup(folder, linkNames, targetPaths, options.Programs != 0, nullptr);

    if (allocator)
        allocator->Release();
}
