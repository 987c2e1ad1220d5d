// The self-removal script and the command line that starts it. The script waits for the
// ending program (by running it with "wait"), deletes the program file and removes its folder
// (five tries), runs the program with "warning" if the file stayed, and deletes itself; on the
// NT family the interpreter's command line then removes the folder made for the script. Pure
// logic, tested on the host byte for byte.
#pragma once

enum {
    // Each of the 19 paths in the script may take 1023 bytes, twice that with "%" doubled.
    RemovalScriptSize = 40960,
    // COMSPEC, the script path and its folder, 1023 bytes each, and /c "" & rd "".
    InterpreterCommandSize = 3104,
};

// Writes the script's bytes into script (capacity bytes, no terminator needed by the caller,
// one is written when there is room). folder is the current directory as the system reports
// it: the program folder without a trailing backslash, or a drive's root such as C:\.
// Every "%" of a path is doubled: the interpreter would otherwise expand it as a variable.
// silent: the script of a silent uninstall, whose warning run is "/s /warning": it leaves the
// program to the restart as the other does, but shows no message.
// Returns the script's length, or -1 when it does not fit.
int ComposeRemovalScript(char* script, int capacity, bool ntFamily, bool silent, const char* programPath,
                         const char* folder, const char* scriptPath);

// The interpreter's command line into commandLine (capacity bytes): `COMSPEC /c ""script""` on
// the NT family, `COMSPEC /c "script"` on the older systems. The NT interpreter drops the first
// and the last quote of such a line whenever the text between them holds one of & ( ) @ ^ |
// (a profile folder such as "Jo (Admin)"), or more than two quotes; doubled, one pair is left
// in every case. scriptFolder, when not null (NT family only), is the folder that holds the
// script alone: `COMSPEC /c ""script" & rd "scriptFolder""` removes it after the script has
// ended. Not the script's own last line: an interpreter may hold the batch file open until the
// batch ends (Wine's does), and the folder is not empty before then.
// False when it does not fit.
bool ComposeInterpreterCommand(char* commandLine, int capacity, bool ntFamily, const char* comspec,
                               const char* scriptPath, const char* scriptFolder);

// removal_script_win32.cpp. Writes the script for the running program (programPath) under a
// name made fresh in the temporary folder, its path into scriptPath (1024 bytes): on the NT
// family TEMP\KvoXXXXXXXX\Uninstall_Kvo.Bat, in a new folder, its path into scriptFolder (1024
// bytes), that only the Administrators, SYSTEM and this process's account may enter; on the
// older systems TEMP\KvoXXXXXXXX.Bat. Nothing that stood at a name is opened. False, with
// nothing left made, when no fresh name is had, the folder's security cannot be built, or the
// script cannot be written whole. silent as for ComposeRemovalScript.
bool WriteRemovalScript(char* scriptPath, char* scriptFolder, const char* programPath, bool silent);
// Starts the interpreter on the script from the program folder's parent: hidden on the NT
// family, which then removes scriptFolder; detached with its standard handles on NUL on the
// older systems.
void StartRemovalScript(const char* scriptPath, const char* scriptFolder);
