// Deletions put off until the next restart, for files that are still in use when the uninstall
// ends: which folders go with a file, and the [rename] section of WININIT.INI through which
// Windows 95, 98 and Me delete files while they start. Pure logic, tested on the host.
#pragma once

enum {
    WininitSize = 16384,  // the WININIT.INI text that is read, extended and written back whole
};

// Whether path is the folder itself (without its trailing backslash, and not a drive's root)
// or lies below it. folder ends in a backslash. Nothing else is ever scheduled for deletion.
bool IsInOrBelowFolder(const char* path, const char* folder);

// Cuts path to its parent folder. Returns whether that is still in or below folder.
bool CutToParentFolder(char* path, const char* folder);

// Adds the line "NUL=path" (path below 1024 bytes) to the [rename] section of an INI text
// (length bytes in a buffer of capacity bytes, no terminator), right after its header; the lines
// already there stay: several NUL= lines are usual. Without such a section, one is appended.
// Returns the new length, or -1 when the text would not fit (it is then unchanged).
int AddDeletionLine(char* text, int length, int capacity, const char* path);
