// The operations behind SetShortcuts (declared in shell/shell.h). COM must be initialised on
// the calling thread.
#pragma once

// Writes a shell link at linkPath to target with the given description (no arguments, working
// folder, icon or hot key). True when the link file was saved.
bool CreateShortcut(const char* target, const char* linkPath, const char* description);

// The file-system path of the user's desktop folder into folder (1024 bytes).
bool GetDesktopFolder(char* folder);

// Deletes a folder with everything in it, for good (no recycle bin). path must have room for
// one more byte after its terminator. False when nothing is at the path or the shell failed.
bool RemoveFolder(char* path);
