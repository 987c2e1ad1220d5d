// Registration of kvoext.dll as the shell's in-process server and as handler of context menus,
// property sheets, drop targets and drag-and-drop menus; and its removal.
#include <windows.h>

#include "registry/registry.h"
#include "shell/program_file.h"
#include "shell/shell.h"

#define KVO_CLSID "{5A3C9E10-4B7D-11D2-8F21-C3D9A0B6E417}"

static const char ClassKey[] = "CLSID\\" KVO_CLSID;
static const char ServerKey[] = "CLSID\\" KVO_CLSID "\\InProcServer32";
static const char ApprovedKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

struct HandlerRow {
    const char* key;
    const char* value;  // the default value
};

// Rows 1-5 name the handler by their key, rows 6-13 by their default value.
static const HandlerRow HandlerRows[13] = {
    {"Krelvo\\shellex\\ContextMenuHandlers\\" KVO_CLSID, ""},
    {"Krelvo\\shellex\\PropertySheetHandlers\\" KVO_CLSID, ""},
    {"Krelvo.ZIP\\shellex\\ContextMenuHandlers\\" KVO_CLSID, ""},
    {"Krelvo.ZIP\\shellex\\PropertySheetHandlers\\" KVO_CLSID, ""},
    {"exefile\\shellex\\PropertySheetHandlers\\" KVO_CLSID, ""},
    {"Krelvo\\shellex\\DropHandler", KVO_CLSID},
    {"Krelvo.ZIP\\shellex\\DropHandler", KVO_CLSID},
    {"*\\shellex\\ContextMenuHandlers\\Krelvo", KVO_CLSID},
    {"Folder\\shellex\\ContextMenuHandlers\\Krelvo", KVO_CLSID},
    {"Folder\\shellex\\DragDropHandlers\\Krelvo", KVO_CLSID},
    {"Drive\\shellex\\DragDropHandlers\\Krelvo", KVO_CLSID},
    {"Directory\\shellex\\ContextMenuHandlers\\Krelvo", KVO_CLSID},
    {"Directory\\shellex\\DragDropHandlers\\Krelvo", KVO_CLSID},
};
enum { KeyNamedRows = 7 };  // rows 1-7 are removed with their keys, rows 8-13 keep them

void SetShellExtension(const SetupOptions& options) {
    if (options.ShellExt) {
        char library[1024];
        if (ProgramFolderFile("kvoext.dll", library) &&
            GetFileAttributesA(library) != INVALID_FILE_ATTRIBUTES) {
            WriteRegString(HKEY_CLASSES_ROOT, ClassKey, "", "Krelvo");
            WriteRegString(HKEY_CLASSES_ROOT, ServerKey, "", library);
            WriteRegString(HKEY_CLASSES_ROOT, ServerKey, "ThreadingModel", "Apartment");
        }
        for (const HandlerRow& row : HandlerRows)
            WriteRegString(HKEY_CLASSES_ROOT, row.key, "", row.value);
        WriteRegString(HKEY_LOCAL_MACHINE, ApprovedKey, KVO_CLSID, "Krelvo shell extension");
        return;
    }
    DeleteRegKey(HKEY_CLASSES_ROOT, ServerKey);
    DeleteRegKey(HKEY_CLASSES_ROOT, ClassKey);
    for (int row = 0; row < KeyNamedRows; row++)
        DeleteRegKey(HKEY_CLASSES_ROOT, HandlerRows[row].key);
    for (int row = KeyNamedRows; row < 13; row++)
        DeleteRegValue(HKEY_CLASSES_ROOT, HandlerRows[row].key, "");
    DeleteRegValue(HKEY_LOCAL_MACHINE, ApprovedKey, KVO_CLSID);
}
