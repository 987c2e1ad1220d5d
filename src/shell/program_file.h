// Files of the product beside this program: kvoext.dll, Krelvo.exe, the new-file templates.
#pragma once
#include <stddef.h>

// Replaces the name part of path (a buffer of pathSize bytes) with name; false, path unchanged,
// when the result would not fit.
bool ReplaceFileName(char* path, size_t pathSize, const char* name);

// The running program file's folder joined with name, into a 1024-byte buffer; false when the
// program's path cannot be had whole or the result does not fit.
bool ProgramFolderFile(const char* name, char* path /* 1024 bytes */);
