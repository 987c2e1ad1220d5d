// The command-line switch scanner. Pure logic: the entry point acts on what it finds.
#pragma once

enum SwitchKind {
    SwitchSetup,    // "setup" (first five characters)
    SwitchSilent,   // a lone "s": silent setup for the setup switches that follow; without
                    // other switches, a silent uninstall
    SwitchWait,     // "wait" (first four characters)
    SwitchWarning,  // "warning" (first seven characters)
    SwitchLog,      // "log" (first three characters): the run writes a log; like "s", it
                    // leaves an uninstall an uninstall
    SwitchIgnored,  // anything else: still counts as a switch
};

// Where the arguments begin in a whole command line: after the program's name, quoted or not,
// and the blanks after it, as the compiler runtime hands them to WinMain. Bytes compare as
// unsigned (a Big5 or accented name goes on past 0x7F) and a double-byte character is stepped
// whole, so that its second byte is never taken for a quote or a blank.
const char* SkipProgramName(const char* commandLine);

// The word right after the first "/" or "-" at or after the cursor, or null when there is none.
// Every occurrence counts, inside words and paths too.
const char* FindSwitchWord(const char* cursor);

// What a switch word asks for; comparisons ignore case and look only at the leading characters.
SwitchKind ClassifySwitch(const char* word);
