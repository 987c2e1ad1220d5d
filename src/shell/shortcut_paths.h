// Paths of the shortcut files and of their targets. Pure logic, tested on the host.
#pragma once

// A file beside the program: modulePath with its name part replaced by name, into path
// (capacity bytes). False when it does not fit.
bool ComposeSiblingPath(char* path, int capacity, const char* modulePath, const char* name);

// folder, a backslash unless it ends in one, name and ".lnk", into path (capacity bytes).
// A name taken from a translation may hold characters that no file name may hold (a
// backslash would even place the link in another folder): each becomes "_". False when the
// folder is empty or the path does not fit.
bool ComposeLinkPath(char* path, int capacity, const char* folder, const char* name);
