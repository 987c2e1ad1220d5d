// Placeholder procedures for the setup and completion dialogs: OK ends with 1, Esc with 0.
// A silent setup confirms both while they initialise.
#include "driver/program.h"
#include "lang/ext_resource.h"

static INT_PTR CALLBACK PlaceholderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (SilentSetup)
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            EndDialog(dialog, 1);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunSetupDialog() {
    return DialogBoxParamA(ResourceModule, "SETUPDLG", nullptr, PlaceholderDialogProc, 0);
}

INT_PTR RunCompletionDialog() {
    return DialogBoxParamA(ResourceModule, "DONEDLG", nullptr, PlaceholderDialogProc, 0);
}
