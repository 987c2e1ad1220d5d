// "CONTEXTITEMS": which of eleven commands the shell extension adds to the file manager's
// context menu, stored as REG_DWORD values under "Setup\MenuItems" when confirmed.
#include "lang/ext_resource.h"
#include "registry/registry.h"
#include "resources/resource.h"
#include "setup/common_dialog.h"
#include "setup/setup_dialogs.h"

enum { ContextItemCount = 11 };

static const int contextItemIds[ContextItemCount] = {101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111};
static const char* const contextItemValues[ContextItemCount] = {
    "ExtrTo", "ExtrHere", "Extr", "ExtrSep", "OpenSFX", "AddTo",
    "AddArc", "EmailArc", "EmailOpt", "Test", "Convert",
};
static const unsigned char contextItemDefaults[ContextItemCount] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0};

static const char contextItemsKey[] = "Setup\\MenuItems";

INT_PTR CALLBACK ContextItemsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HandleCommonDialogMessage(dialog, message, wParam, lParam, "CONTEXTITEMS", ContextItemsHelpContext);
    switch (message) {
    case WM_HELP:
        return TRUE;  // the common handling has opened the help topic
    case WM_INITDIALOG:
        for (int i = 0; i < ContextItemCount; i++)
            CheckDlgButton(dialog, contextItemIds[i],
                           ReadSettingDword(contextItemsKey, contextItemValues[i], contextItemDefaults[i]));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            for (int i = 0; i < ContextItemCount; i++)
                WriteSettingDword(contextItemsKey, contextItemValues[i],
                                  IsDlgButtonChecked(dialog, contextItemIds[i]));
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

INT_PTR ShowContextItemsDialog(HWND owner) {
    return DialogBoxParamA(ResourceModule, "CONTEXTITEMS", owner, ContextItemsDialogProc, 0);
}
