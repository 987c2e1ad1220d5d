// Registration of kvoext.dll as the shell's in-process server and as handler of context menus,
// property sheets, drop targets and drag-and-drop menus; and its removal.
#include <windows.h>

#include <string.h>

#include "registry/registry.h"
#include "shell/program_file.h"
#include "shell/shell.h"
#include "support/text.h"

#define KVO_CLSID "{5A3C9E10-4B7D-11D2-8F21-C3D9A0B6E417}"

static const char ApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// The handler keys are put together from these parts as "class\shellex\kind" and, on most
// rows, a last name: each part is held once instead of in thirteen full paths.
static const char* const HandlerClasses[7] = {
    "Krelvo", "Krelvo.ZIP", "exefile", "*", "Folder", "Drive", "Directory",
};
static const char* const HandlerKinds[4] = {
    "ContextMenuHandlers", "PropertySheetHandlers", "DropHandler", "DragDropHandlers",
};
#define HANDLER_ROW(classIndex, kindIndex) ((classIndex) << 2 | (kindIndex))
enum { ContextMenuKind, PropertySheetKind, DropKind, DragDropKind };

// Rows 1-5 name the handler by their key (class\shellex\kind\{CLSID}, default value empty),
// rows 6-7 are class\shellex\DropHandler and rows 8-13 class\shellex\kind\Krelvo, both with
// the CLSID as their default value.
static const unsigned char HandlerRows[13] = {
    HANDLER_ROW(0, ContextMenuKind),   // Krelvo\shellex\ContextMenuHandlers\{CLSID}
    HANDLER_ROW(0, PropertySheetKind), // Krelvo\shellex\PropertySheetHandlers\{CLSID}
    HANDLER_ROW(1, ContextMenuKind),   // Krelvo.ZIP\shellex\ContextMenuHandlers\{CLSID}
    HANDLER_ROW(1, PropertySheetKind), // Krelvo.ZIP\shellex\PropertySheetHandlers\{CLSID}
    HANDLER_ROW(2, PropertySheetKind), // exefile\shellex\PropertySheetHandlers\{CLSID}
    HANDLER_ROW(0, DropKind),          // Krelvo\shellex\DropHandler
    HANDLER_ROW(1, DropKind),          // Krelvo.ZIP\shellex\DropHandler
    HANDLER_ROW(3, ContextMenuKind),   // *\shellex\ContextMenuHandlers\Krelvo
    HANDLER_ROW(4, ContextMenuKind),   // Folder\shellex\ContextMenuHandlers\Krelvo
    HANDLER_ROW(4, DragDropKind),      // Folder\shellex\DragDropHandlers\Krelvo
    HANDLER_ROW(5, DragDropKind),      // Drive\shellex\DragDropHandlers\Krelvo
    HANDLER_ROW(6, ContextMenuKind),   // Directory\shellex\ContextMenuHandlers\Krelvo
    HANDLER_ROW(6, DragDropKind),      // Directory\shellex\DragDropHandlers\Krelvo
};
enum {
    ClsidNamedRows = 5,  // rows 1-5 end in the CLSID, rows 8-13 in "Krelvo"
    KeyNamedRows = 7,    // rows 1-7 are removed with their keys, rows 8-13 keep them
    // The longest key: "Krelvo.ZIP\shellex\PropertySheetHandlers\" and the CLSID, 79 bytes.
    HandlerKeySize = 96
};

// The key of a row into key (HandlerKeySize bytes); returns its default value.
static const char* HandlerKey(int row, char* key) {
    strcpy(key, HandlerClasses[HandlerRows[row] >> 2]);
    strcat(key, "\\shellex\\");
    strcat(key, HandlerKinds[HandlerRows[row] & 3]);
    if (row < ClsidNamedRows) {
        strcat(strcat(key, "\\"), KVO_CLSID);
        return "";
    }
    if (row >= KeyNamedRows)
        strcat(key, "\\Krelvo");
    return KVO_CLSID;
}

// Below HKEY_LOCAL_MACHINE, beside the records of the previous handlers: each key on the way to
// a handler key (from below its class on) that setup made, as a value named by its path.
// Removal takes away only those, and only while nothing else is in them: on most systems the
// shared classes' "shellex" keys are there before us, and other handlers are in them.
static void MadeKeysRecord(char* path /* 48 bytes */) {
    strcpy(path, RecordsKey);
    strcat(path, "\\ShellExtKeys");
}

// Notes the keys on the way to key, from "class\shellex" down to key itself, that are not there
// yet, before key is written.
static void NoteKeysToMake(const char* record, char* key) {
    char* cut = strchr(key, '\\');  // after the class, which is never ours
    do {
        cut = strchr(cut + 1, '\\');
        if (cut)
            *cut = '\0';
        if (!RegKeyExists(HKEY_CLASSES_ROOT, key))
            WriteRegDword(HKEY_LOCAL_MACHINE, record, key, 1);
        if (cut)
            *cut = '\\';
    } while (cut);
}

void SetShellExtension(const SetupOptions& options) {
    // CLSID\{...}, and below it InProcServer32: put together, as the class id is held once.
    char classKey[6 + sizeof(KVO_CLSID)];
    char serverKey[sizeof(classKey) + 15];
    strcat(strcpy(classKey, "CLSID\\"), KVO_CLSID);
    strcat(strcpy(serverKey, classKey), "\\InProcServer32");
    char key[HandlerKeySize];
    char record[48];
    MadeKeysRecord(record);
    if (options.ShellExt) {
        char library[1024];
        if (ProgramFolderFile("kvoext.dll", library) &&
            GetFileAttributesA(library) != INVALID_FILE_ATTRIBUTES) {
            WriteRegString(HKEY_CLASSES_ROOT, classKey, "", "Krelvo");
            WriteRegString(HKEY_CLASSES_ROOT, serverKey, "", library);
            WriteRegString(HKEY_CLASSES_ROOT, serverKey, "ThreadingModel", "Apartment");
        }
        for (int row = 0; row < 13; row++) {
            const char* value = HandlerKey(row, key);
            // Unnoted, the keys made would stay behind for good: then the row is left out.
            int failures = FailedRegistryChanges();
            NoteKeysToMake(record, key);
            if (FailedRegistryChanges() == failures)
                WriteRegString(HKEY_CLASSES_ROOT, key, "", value);
        }
        WriteRegString(HKEY_LOCAL_MACHINE, ApprovedKey, KVO_CLSID, "Krelvo shell extension");
        return;
    }
    int failures = FailedRegistryChanges();
    DeleteRegKey(HKEY_CLASSES_ROOT, serverKey);
    DeleteRegKey(HKEY_CLASSES_ROOT, classKey);
    for (int row = 0; row < 13; row++) {
        HandlerKey(row, key);
        if (row < KeyNamedRows)
            DeleteRegKey(HKEY_CLASSES_ROOT, key);
        else
            DeleteRegValue(HKEY_CLASSES_ROOT, key, "");
        // The "Krelvo" key and the keys above it, below the class, that setup made.
        for (; strchr(key, '\\'); FileNamePart(key)[-1] = '\0') {
            if (ReadRegDword(HKEY_LOCAL_MACHINE, record, key, 0) == 1)
                DeleteRegKeyIfEmpty(HKEY_CLASSES_ROOT, key);
        }
    }
    DeleteRegValue(HKEY_LOCAL_MACHINE, ApprovedKey, KVO_CLSID);
    // Kept while a change failed: running the removal again takes those keys away too.
    if (FailedRegistryChanges() == failures)
        DeleteRegTree(HKEY_LOCAL_MACHINE, record);
}
