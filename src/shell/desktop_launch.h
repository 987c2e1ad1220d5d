// Starting what setup offers to open as the desktop's user rather than as this process.
#pragma once
#include <windows.h>

// Elevated on Windows Vista or later: asks the desktop's Explorer to open file (a program, a
// document, a folder or an address) with this process's current directory, and returns true
// once it has. False elsewhere (95 to XP, not elevated) and when there is no desktop shell, it
// runs as another user than this process (an administrator's password was typed for the
// elevation) or it refuses: the caller then starts it itself, as it always has.
bool StartAsDesktopUser(const char* file);

// StartAsDesktopUser, else ShellExecuteA's "open" as before.
void OpenAsDesktopUser(const char* file);

// Whether the process runs as this process's user (their tokens' user SIDs are equal). False
// when either token cannot be read, as on 95 to Me.
bool ProcessRunsAsThisUser(DWORD processId);

// One class of a process's token information (TokenUser, ...) into size bytes. False when the
// token cannot be read, as on 95 to Me, which lack the functions.
bool ReadProcessToken(HANDLE process, int informationClass, void* buffer, DWORD size);
