// "SETUPDLG": shows the saved choices and, on OK, saves and applies them and registers the
// uninstall entry. A silent setup confirms it while it initialises.
#include <richedit.h>

#include "driver/program.h"
#include "lang/ext_resource.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/common_dialog.h"
#include "setup/setup_dialogs.h"
#include "setup/setup_options_dialog.h"
#include "shell/program_file.h"
#include "shell/shell.h"

void ApplySetupOptions(const SetupOptions& options, char* programGroupPath) {
    // Without the archiver's whole path nothing could open an archive: then no extension is
    // taken from its handler, and no class or App Paths entry names a program that is not there.
    char archiver[1024];
    bool havePath = ProgramFolderFile("Krelvo.exe", archiver);
    if (havePath)
        RegisterAppPath(archiver);
    SetShellExtension(options);
    if (havePath) {
        SetAssociations(options);
        RegisterProgramClasses(archiver);
    }
    SetShortcuts(options, programGroupPath);
}

// Setup with the confirmed choices: 1, or 0 when the entry could not be written and nothing
// was changed.
static INT_PTR ConfirmSetup(const SetupOptions& options) {
    // The uninstall entry comes first: a setup cut off anywhere after it can be taken back
    // from the list of removable programs. The choices are saved before anything is applied,
    // so they survive a failing step. Without the entry nothing could be taken back.
    BeginRegistryBatch();
    bool entry = RegisterUninstallEntry();
    if (entry) {
        SaveSetupOptions(options);
        ApplySetupOptions(options, ProgramGroupPath);
    }
    EndRegistryBatch();
    return entry ? 1 : 0;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HandleCommonDialogMessage(dialog, message, wParam, lParam, "SETUPDLG", SetupHelpContext);
    switch (message) {
    case WM_INITDIALOG: {
        SetupOptions options = {};
        LoadSetupOptions(options);
        SetupOptionsToDialog(dialog, options);
        SetForegroundWindow(dialog);
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon));
        SendDlgItemMessageA(dialog, IDC_EXPLANATION, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_BTNFACE));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            SetupOptions options = {};
            SetupOptionsFromDialog(dialog, options);
            EndDialog(dialog, ConfirmSetup(options));
            break;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case IDC_SHELL_EXT: {
            // Keeps every mark; enables the two menu boxes exactly when integration is on.
            SetupOptions options = {};
            SetupOptionsFromDialog(dialog, options);
            SetupOptionsToDialog(dialog, options);
            break;
        }
        case IDC_SELECT_ALL:
            CheckAllArchiveKinds(dialog);
            break;
        case IDC_CONTEXT_ITEMS:
            ShowContextItemsDialog(dialog);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunSetupDialog() {
    // A silent setup confirms at once the choices that the dialog would show (saved, or the
    // first run's), without making the dialog: that took a sixth of its time.
    if (SilentSetup) {
        SetupOptions options = {};
        LoadSetupOptions(options);
        return ConfirmSetup(options);
    }
    return DialogBoxParamA(ResourceModule, "SETUPDLG", nullptr, SetupDialogProc, 0);
}
