// The handling that every dialog of the program shares: mirroring for right-to-left languages,
// translation and scaling from the language file, and help. Each dialog procedure passes every
// message here first and then goes on with it as usual.
#pragma once
#include <windows.h>

// Help contexts of the dialogs in the product's help file; 0 means the dialog has no help.
enum { SetupHelpContext = 4288, ContextItemsHelpContext = 4976, CompletionHelpContext = 0 };

void HandleCommonDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                               const char* templateName, int helpContext);
