// Program-wide state owned by the entry point, read or filled by the dialogs and the shortcuts.
#pragma once
#include <windows.h>

extern bool SilentSetup;               // set by the switch "s" for the setup runs after it
extern char ProgramGroupPath[1024];    // the user's program group, filled by SetShortcuts
extern HICON ProgramIcon;              // "KVOICON" of the resource module
extern HFONT BoldFont;                 // the completion dialog's closing line

// Modal dialogs of the setup run; each returns what DialogBoxParamA returned.
INT_PTR RunSetupDialog();
INT_PTR RunCompletionDialog();

// Uninstall mode: confirmation, removal of every registration and installed file, self-removal.
// Does not return once the uninstall has completed.
void UninstallProduct();

// Lists the product among the system's removable programs, with this program as its uninstaller.
// Setup writes it before it changes anything else, and the uninstall deletes it last, so that a
// run cut off in between can be finished from that list.
// False when the entry could not be written whole; then setup changes nothing else.
bool RegisterUninstallEntry();
extern const char UninstallEntryKey[];  // below HKEY_LOCAL_MACHINE

// Whether this account may make the changes of setup and uninstall: the machine's list of
// removable programs and its classes.
bool MayChangeSystemSettings();

// The manual-deletion notice that the self-removal script shows when the program file stayed.
void ShowManualDeletionWarning();
