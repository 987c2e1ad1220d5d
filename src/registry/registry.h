// Every registry read, write and delete of the program. Each operation opens, uses and closes
// its key (within a batch, below, it may keep it open for the next one); paths under
// HKEY_CURRENT_USER are relative to the product settings key HKEY_CURRENT_USER\Software\Krelvo. Writes and deletes fail silently; reads fall back to the
// caller's default; each write or delete that the system refuses is counted.
#pragma once
#include <windows.h>

void WriteRegString(HKEY root, const char* path, const char* valueName, const char* text);
void WriteSettingString(const char* path, const char* valueName, const char* text);
void WriteRegDword(HKEY root, const char* path, const char* valueName, DWORD value);
void WriteSettingDword(const char* path, const char* valueName, DWORD value);
void WriteRegBinary(HKEY root, const char* path, const char* valueName, const void* bytes, DWORD count);
bool ReadRegString(HKEY root, const char* path, const char* valueName, char* buffer,
                   const char* defaultText, DWORD bufferSize);
bool ReadSettingString(const char* path, const char* valueName, char* buffer,
                       const char* defaultText, DWORD bufferSize);
DWORD ReadRegDword(HKEY root, const char* path, const char* valueName, DWORD defaultValue);
DWORD ReadSettingDword(const char* path, const char* valueName, DWORD defaultValue);
void DeleteRegValue(HKEY root, const char* path, const char* valueName);
void DeleteRegKey(HKEY root, const char* path);
void DeleteRegTree(HKEY root, const char* path);
bool RegKeyExists(HKEY root, const char* path);
// Writes a value of the given type with exactly the given bytes.
void WriteRegValue(HKEY root, const char* path, const char* valueName, DWORD type,
                   const void* bytes, DWORD count);
// Reads a value's bytes and its type into buffer. True with *count (and *type, unless null)
// set when the value was read; false, both left alone, when it is missing or larger than
// bufferSize.
bool ReadRegValue(HKEY root, const char* path, const char* valueName, void* buffer,
                  DWORD bufferSize, DWORD* count, DWORD* type);
// The same, whatever the type.
bool ReadRegBinary(HKEY root, const char* path, const char* valueName, void* buffer,
                   DWORD bufferSize, DWORD* count);
// Copies every value of the key from to the key to (created when missing), each with its name,
// type and bytes exactly; with write false it only checks. On the NT family through the wide
// calls: its registry holds names and texts in UTF-16, and the narrow calls would turn what the
// ANSI code page lacks into "?". False when the key has more than maxCount values, or one whose
// name (over 255 characters) or bytes (over bufferSize) cannot be had whole, or values cannot
// be listed on this system: such a key cannot be kept whole. A missing key has nothing to copy.
bool CopyRegValues(HKEY fromRoot, const char* from, HKEY toRoot, const char* to, DWORD maxCount,
                   void* buffer, DWORD bufferSize, bool write);
// Whether the key has at least one subkey.
bool RegKeyHasSubkeys(HKEY root, const char* path);
// Whether the key holds no value and no subkey (a missing key holds nothing).
bool RegKeyIsEmpty(HKEY root, const char* path);
// Deletes the key when it is there and empty: what is left of a key that another program may
// share once ours is gone from it.
void DeleteRegKeyIfEmpty(HKEY root, const char* path);
// The number of writes and deletes that the system refused since the start of the run (a key
// or value that was to go and is not there counts as deleted). Callers compare it before and
// after a group of changes to tell whether the group was made whole.
int FailedRegistryChanges();
// Between these two calls the layer keeps the last key it opened open for the reads and changes
// that follow on that key, instead of opening and closing it for each: for setup's and the
// uninstall's runs of changes. Meanwhile every change to the registry must go through this layer
// (a key deleted behind its back would keep refusing changes until the batch ends).
void BeginRegistryBatch();
void EndRegistryBatch();
// Whether this account may create subkeys and set values in the key (full path, no product
// prefix): on the NT family, without administrator rights, HKEY_LOCAL_MACHINE is read-only.
bool MayWriteRegKey(HKEY root, const char* path);
