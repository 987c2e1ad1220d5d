#include "setup/common_dialog.h"

#include "lang/language_resources.h"
#include "resources/resource.h"

static void OpenHelp(HWND dialog, int helpContext) {
    if (helpContext != 0)
        WinHelpA(dialog, "krelvo.hlp", HELP_CONTEXT, static_cast<ULONG_PTR>(helpContext));
}

void HandleCommonDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM,
                               const char* templateName, int helpContext) {
    switch (message) {
    case WM_SETFONT:
        // Sent before the controls are created, so that they inherit the mirrored layout.
        g_language.ApplyDirection(dialog);
        break;
    case WM_INITDIALOG:
        g_language.TranslateDialog(dialog, templateName);
        break;
    case WM_HELP:
        OpenHelp(dialog, helpContext);
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_HELP_BUTTON)
            OpenHelp(dialog, helpContext);
        break;
    }
}
