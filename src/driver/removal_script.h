// The self-removal script "Uninstall_Kvo.Bat" and the command line that starts it. The script
// waits for the ending program (by running it with "wait"), deletes the program file and
// removes its folder (five tries), runs the program with "warning" if the file stayed, and
// deletes itself. Pure logic, tested on the host byte for byte.
#pragma once

enum {
    // Each of the 19 paths in the script may take 1023 bytes, twice that with "%" doubled.
    RemovalScriptSize = 40960,
    InterpreterCommandSize = 2080,  // COMSPEC and the script path, 1023 bytes each, and /c ""
};

// Writes the script's bytes into script (capacity bytes, no terminator needed by the caller,
// one is written when there is room). folder is the current directory as the system reports
// it: the program folder without a trailing backslash, or a drive's root such as C:\.
// Every "%" of a path is doubled: the interpreter would otherwise expand it as a variable.
// Returns the script's length, or -1 when it does not fit.
int ComposeRemovalScript(char* script, int capacity, bool ntFamily, const char* programPath,
                         const char* folder, const char* scriptPath);

// The interpreter's command line into commandLine (capacity bytes): `COMSPEC /c ""script""` on
// the NT family, `COMSPEC /c "script"` on the older systems. The NT interpreter drops the first
// and the last quote of such a line whenever the text between them holds one of & ( ) @ ^ |
// (a profile folder such as "Jo (Admin)"); doubled, one pair is left in every case.
// False when it does not fit.
bool ComposeInterpreterCommand(char* commandLine, int capacity, bool ntFamily, const char* comspec,
                               const char* scriptPath);
