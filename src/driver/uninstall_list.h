// Uninstall.lst, the installer's list of installed files and folders: one path per line,
// relative to the program folder, in the ANSI code page, lines ending in LF or CR LF.
// Pure logic over a stdio stream, so the host build tests it.
#pragma once
#include <stdio.h>

enum {
    ListLineSize = 2048,  // one line as read: at most 2047 bytes before its line break
    ListPathSize = 1024,  // an entry joined to the program folder
};

// Reads the next line into line (ListLineSize bytes) without its LF. Returns false at the end
// of the list. A line of more than 2047 bytes, or one holding a NUL byte, is consumed whole
// and comes back empty: its pieces must never be taken for entries of their own.
bool ReadListLine(FILE* list, char* line);

// Whether an entry stays inside the program folder: no drive or stream colon, no leading
// backslash or slash, and no component made of dots and blanks only ("..", "...", ". .").
// Steps by character, so the trail byte 0x5C of a double-byte character divides nothing.
bool IsEntryInsideFolder(const char* entry);

// Reads lines until one gives a usable entry: trailing blanks, tabs, CR and LF removed, not
// empty, inside the folder, and short enough to join. path (ListPathSize bytes) receives
// folder (ending in a backslash) followed by the entry. Returns false at the end of the list.
bool NextListPath(FILE* list, const char* folder, char* path);
