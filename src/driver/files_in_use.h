// Files that are in use while the uninstall runs: programs of the product that are still
// running are asked about before anything changes; files that stay in use to the end (the
// shell extension that Explorer keeps loaded) are deleted at the next restart.
#pragma once
#include <stdio.h>

// Asks, for as long as the archiver or another program that the list names is running, that it
// be closed (Retry) or the uninstall left (Cancel). folder ends in a backslash; the program's
// own file is not asked about; list (may be null) is read and rewound. ExitDone when none runs,
// ExitDeclined for Cancel; a silent uninstall asks nothing and gets ExitNotDone at once.
int ProgramsClosed(FILE* list, const char* folder, const char* programPath);

// After the deletion passes: every listed file that is still there is deleted at the next
// restart, with the folders it keeps, and the user is told so (unless the run is silent). The
// program's own file is left to the self-removal script. ExitRestartNeeded when a file was so
// scheduled; ExitNotDone when one could be neither deleted nor scheduled, which an interactive
// run names to be deleted by hand; else ExitDone.
int DeleteFilesInUseAtRestart(FILE* list, const char* folder, const char* programPath);

// The warning run: the program file that the script could not delete goes at the next restart,
// with its folder. False when that cannot be arranged.
bool DeleteProgramAtRestart(const char* programPath);
