// The three dialogs of a setup run: the setup dialog with its apply sequence, the context-menu
// items dialog it opens, and the completion dialog.
#pragma once
#include <windows.h>

#include "setup/setup_options.h"

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Applies the choices: application path, shell extension, associations, program classes,
// shortcuts (which fill programGroupPath, 1024 bytes, or leave it empty).
void ApplySetupOptions(const SetupOptions& options, char* programGroupPath);

INT_PTR ShowContextItemsDialog(HWND owner);
INT_PTR CALLBACK ContextItemsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

INT_PTR CALLBACK CompletionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Starts a command line as a new process without waiting for it.
bool LaunchProgram(const char* commandLine);
