// Uninstall mode: after a confirmation, every registration is taken back, the files named in
// Uninstall.lst are deleted, and a batch script removes the program file and its folder once
// the program has ended.
#include <stdio.h>
#include <string.h>

#include <windows.h>
#include <shlobj.h>

#include "driver/files_in_use.h"
#include "driver/program.h"
#include "driver/removal_script.h"
#include "driver/uninstall_list.h"
#include "lang/ext_resource.h"
#include "lang/message_text.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "shell/capabilities.h"
#include "shell/shell.h"
#include "support/format_text.h"
#include "support/run_log.h"
#include "support/system.h"
#include "support/text.h"

// False when a change failed: then the records of the previous handlers that are not back yet
// stay, with the product settings key, and running the uninstall again finishes the job.
static bool RemoveRegistrationsInBatch() {
    int failures = FailedRegistryChanges();
    SetupOptions none;
    memset(&none, 0, sizeof(none));
    // The associations go first: they restore the previous handlers from their records, which
    // are deleted last.
    SetAssociations(none);
    RemoveCapabilities();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
    SetShellExtension(none);
    SetShortcuts(none, nullptr);
    DeleteRegTree(HKEY_CLASSES_ROOT, "Krelvo");
    DeleteRegTree(HKEY_CLASSES_ROOT, "Krelvo.ZIP");
    DeleteRegTree(HKEY_CLASSES_ROOT, "Krelvo.REV");
    DeleteRegTree(HKEY_CLASSES_ROOT, ".rev");
    UnregisterAppPath();
    // The records go last, and only once every handler is back.
    if (FailedRegistryChanges() != failures)
        return false;
    DeleteRegTree(HKEY_LOCAL_MACHINE, RecordsKey);
    DeleteRegKeyIfEmpty(HKEY_LOCAL_MACHINE, "Software\\Krelvo");
    DeleteRegTree(HKEY_CURRENT_USER, "");
    return FailedRegistryChanges() == failures;
}

// The same in one batch of the registry layer: most of its reads and changes come several to
// a key in a row.
static bool RemoveRegistrations() {
    BeginRegistryBatch();
    bool whole = RemoveRegistrationsInBatch();
    EndRegistryBatch();
    return whole;
}

static void DeleteHelpIndexFiles() {
    static const char* const names[] = {"krelvo.gid", "krelvo.fts"};
    for (const char* name : names) {
        SetFileAttributesA(name, 0);
        DeleteFileNoted(name);
    }
}

// Passes over the list until one removes nothing: a folder listed before its contents, or a
// folder holding another, goes in a later pass once it is empty.
static void DeleteListedFiles(FILE* list, const char* folder) {
    for (;;) {
        int removed = 0;
        char path[ListPathSize];
        while (NextListPath(list, folder, path)) {
            DWORD attributes = GetFileAttributesA(path);
            // Read-only, hidden and system files can be deleted only without their attributes.
            SetFileAttributesA(path, 0);
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                removed += RemoveFolderNoted(path) ? 1 : 0;
            else
                removed += DeleteFileNoted(path) ? 1 : 0;
        }
        if (removed == 0)
            return;
        rewind(list);
    }
}

// The uninstall stops without finishing: the user is told (a silent run only by its exit code).
static int StopWithMessage(const char* text) {
    if (!SilentSetup)
        MessageBoxA(nullptr, text, MessageText(IDS_UNINSTALL_TITLE), MB_ICONERROR | MB_SETFOREGROUND);
    return ExitNotDone;
}

// Whether the entry in the list of removable programs starts this very program. Only then is
// its "Removing" mark this program's own uninstall, cut off: a copy left behind in another
// folder, after the product was installed anew elsewhere, must not take that installation's
// registrations and entry.
bool EntryStartsThisProgram(const char* programPath) {
    char command[1024 + 2];
    if (!ReadRegString(HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", command, "",
                       sizeof(command)))
        return false;
    // Setup writes the path in quotes; earlier versions wrote it bare.
    char* path = command;
    size_t length = strlen(path);
    if (length >= 2 && path[0] == '"' && path[length - 1] == '"') {
        path[length - 1] = '\0';
        path++;
    }
    return IsSameFile(path, programPath);
}

int UninstallProduct() {
    if (!TakeRunGuard())
        return RefuseSecondRun(MessageText(IDS_UNINSTALL_TITLE));
    char programPath[1024];
    // A cut path would make some other folder the program folder.
    if (!GetProgramPath(programPath))
        return ExitNotDone;
    char folder[1024];
    memcpy(folder, programPath, strlen(programPath) + 1);
    char* name = FileNamePart(folder);
    if (name == folder || name[-1] != '\\')
        return ExitNotDone;
    char* divider = name - 1;
    // A program in a drive's root keeps its backslash (C:\).
    if (divider != folder && divider[-1] == ':')
        divider[1] = '\0';
    else
        divider[0] = '\0';
    if (!SetCurrentDirectoryA(folder))
        return ExitNotDone;  // every relative name below would point elsewhere
    AppendBackslash(folder);

    if (!MayChangeSystemSettings())
        return StopWithMessage(MessageText(IDS_NEED_ADMIN));
    // A silent run goes on as "Yes" does.
    if (!SilentSetup && MessageBoxA(nullptr, MessageText(IDS_CONFIRM), MessageText(IDS_UNINSTALL_TITLE),
                                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return ExitDeclined;

    // The list is opened before anything is changed: without it nothing is removed at all,
    // unless the entry's mark says that an uninstall had begun and was cut off (a crash, a
    // power cut) after it deleted the list. Started again, it finishes what is left.
    const char* const listName = "Uninstall.lst";
    FILE* list = fopen(listName, "rb");
    if (!list && !(ReadRegDword(HKEY_LOCAL_MACHINE, UninstallEntryKey, "Removing", 0) == 1 &&
                   EntryStartsThisProgram(programPath))) {
        char text[1024];
        FormatWithText(text, sizeof(text), MessageText(IDS_CANNOT_OPEN_LIST), listName);
        return StopWithMessage(text);
    }
    // A running archiver would keep its files: nothing changes until it has been closed.
    int closed = ProgramsClosed(list, folder, programPath);
    if (closed != ExitDone) {
        if (list)
            fclose(list);
        return closed;
    }
    if (RegKeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey))
        WriteRegDword(HKEY_LOCAL_MACHINE, UninstallEntryKey, "Removing", 1);

    if (!RemoveRegistrations()) {
        // The entry, the files and this program stay for that second run.
        if (list)
            fclose(list);
        return StopWithMessage(MessageText(IDS_NOT_ALL_RESTORED));
    }
    // The language library beside the program is one of the files to delete.
    g_extResource.Release();
    DeleteHelpIndexFiles();
    int done = ExitDone;
    if (list) {
        DeleteListedFiles(list, folder);
        done = DeleteFilesInUseAtRestart(list, folder, programPath);
        fclose(list);
        DeleteFileNoted(listName);
    }
    // The entry goes last of all: until here a cut-off uninstall can be run again from the
    // list of removable programs. While it stays, so does this program, which it starts to
    // finish the job (its mark says so).
    int failures = FailedRegistryChanges();
    DeleteRegKey(HKEY_LOCAL_MACHINE, UninstallEntryKey);
    if (FailedRegistryChanges() != failures)
        return StopWithMessage(MessageText(IDS_NOT_ALL_RESTORED));

    // Without the script only the program file and its folder stay: the product is gone.
    char scriptPath[1024];
    char scriptFolder[1024];
    if (!WriteRemovalScript(scriptPath, scriptFolder, programPath, SilentSetup))
        return done;
    RunLog("removal script %s", scriptPath);
    EndRunLog(done);
    StartRemovalScript(scriptPath, scriptFolder);
    ExitProcess(static_cast<UINT>(done));
}
