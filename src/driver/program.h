// Program-wide state owned by the entry point, read or filled by the dialogs and the shortcuts.
#pragma once
#include <windows.h>

// Set by the switch "s": silent setup for the setup runs after it; alone, a silent uninstall.
extern bool SilentSetup;
extern char ProgramGroupPath[1024];    // the user's program group, filled by SetShortcuts
extern HICON ProgramIcon;              // "KVOICON" of the resource module
extern HFONT BoldFont;                 // the completion dialog's closing line

// The bold font of the completion dialog's closing line, 12 pixels at 96 DPI and scaled by the
// screen's DPI.
HFONT CreateBoldFont();

// Modal dialogs of the setup run; each returns what DialogBoxParamA returned.
INT_PTR RunSetupDialog();
INT_PTR RunCompletionDialog();

// The process's exit codes, as the system's own installer uses them, so that deployment tools
// read them without a table of their own.
enum {
    ExitDone = 0,
    ExitDeclined = 1602,       // the user answered No, or Cancel while a program was running
    ExitNotDone = 1603,        // no list, no rights, a program in use, a change refused
    ExitAlreadyRunning = 1618, // another setup or uninstall is running: nothing changed
    ExitRestartNeeded = 3010,  // done; files in use go at the next restart
};

// Setup and the uninstall run one at a time on the whole machine: each takes this guard before
// it asks or changes anything, and holds it until the process ends. False when another run
// holds it. The removal script's own runs ("wait", "warning") never take it.
bool TakeRunGuard();
// A run that found the guard taken changes nothing; an interactive one says so.
// ExitAlreadyRunning.
int RefuseSecondRun(const char* caption);

// Uninstall mode: confirmation (none when SilentSetup), removal of every registration and
// installed file, self-removal. Returns the exit code when it stops; once the uninstall has
// completed it ends the process itself with ExitDone or ExitRestartNeeded.
int UninstallProduct();

// Lists the product among the system's removable programs, with this program as its uninstaller.
// Setup writes it before it changes anything else, and the uninstall deletes it last, so that a
// run cut off in between can be finished from that list.
// False when the entry could not be written whole; then setup changes nothing else.
bool RegisterUninstallEntry();
extern const char UninstallEntryKey[];  // below HKEY_LOCAL_MACHINE

// Whether the entry in the list of removable programs starts this very program, by whatever
// spelling of its path.
bool EntryStartsThisProgram(const char* programPath);

// Whether this account may make the changes of setup and uninstall: the machine's list of
// removable programs and its classes.
bool MayChangeSystemSettings();

// Opens the run's log (the switch "log") and writes what is known of the run before it starts:
// the program and its version, the command line's arguments, the system, its ANSI code page,
// whether the process is elevated, and the account.
void StartLogOfRun(const char* arguments);

// The manual-deletion notice that the self-removal script shows when the program file stayed.
void ShowManualDeletionWarning();
