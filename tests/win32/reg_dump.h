// Test helpers: the registry as sorted text, for comparing whole subtrees, and seeding.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Every key and value below root\path (the key itself included), one line each, sorted:
//   "K path" for a key, "V path|name|type|hex bytes" for a value. Empty when the key is missing.
std::string DumpRegTree(HKEY root, const std::string& path);
// The dumps of several trees, joined.
std::string DumpRegTrees(HKEY root, const std::vector<std::string>& paths);

// The lines of a text, sorted as a dump is.
std::string SortLines(const std::string& text);

// Removes a whole tree with the registry's own calls (independent of the code under test).
void WipeRegTree(HKEY root, const std::string& path);

// Puts back a tree as DumpRegTree gave it (the tree is wiped first; an empty dump leaves none).
void RestoreRegTree(HKEY root, const std::string& path, const std::string& dump);

void SetRegText(HKEY root, const std::string& path, const char* name, const std::string& text);
void SetRegBytes(HKEY root, const std::string& path, const char* name, DWORD type,
                 const void* bytes, DWORD count);
void CreateRegKey(HKEY root, const std::string& path);
bool RegKeyPresent(HKEY root, const std::string& path);
// True with type and bytes when the value exists.
bool GetRegValue(HKEY root, const std::string& path, const char* name, DWORD* type,
                 std::string* bytes);
std::string GetRegText(HKEY root, const std::string& path, const char* name);  // "<none>" if absent

// A small file's bytes ("<missing>" when it cannot be opened); writing replaces the file.
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// "nt", "98" (or "me" in the child run) from KVO_FAMILY; "nt" when unset.
std::string Family();
