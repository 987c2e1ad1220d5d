// What the archiver registers with the Windows shell; each operation given an all-zero
// SetupOptions takes its registrations back.
#pragma once

#include "setup/setup_options.h"

void SetAssociations(const SetupOptions& options);
bool IsOwnClass(const char* extension);
// Below HKEY_LOCAL_MACHINE: the records of the previous handlers, one key for each extension,
// which the uninstall deletes once every handler is back.
extern const char RecordsKey[];
void SetShellExtension(const SetupOptions& options);
// programGroupPath: a 1024-byte buffer filled with the user's program group, or null.
void SetShortcuts(const SetupOptions& options, char* programGroupPath);
// archiver: the whole path of Krelvo.exe, which the classes open and App Paths names.
void RegisterProgramClasses(const char* archiver);
void RegisterAppPath(const char* archiver);
void UnregisterAppPath();
