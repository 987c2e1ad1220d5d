// Shared pieces of the localization tests under Wine: temporary folders, language files and
// libraries put in place, and a test dialog procedure that hands every message to the common
// dialog handling.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "lang/ext_resource.h"
#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "test_support.h"

// A fresh folder below the temporary folder, ending in a backslash.
inline std::string ScratchFolder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "kvolang-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD done = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(file);
}

inline std::string Key(char kind, const char* context, const char* text) {
    char key[9];
    MakeLookupKey(key, kind, context, text);
    return key;
}

inline std::string Entry(char kind, const char* context, const std::string& builtIn,
                         const std::string& translated) {
    return Key(kind, context, builtIn.c_str()) + "=\"" + translated + "\"\r\n";
}

inline const std::string kMarker = "; test language file\r\n***messages***\r\n";

// Writes a language file and loads it as the program's language (decides the direction too).
inline void LoadLanguage(const std::string& name, const std::string& entries) {
    std::string path = ScratchFolder("lng") + name;
    WriteBytes(path, kMarker + entries);
    g_language.Load(path.c_str());
    ASSERT_TRUE(g_language.IsLoaded());
}

// Puts a fixture library in a folder of its own as kvolng.dll and loads it the way the
// program does, from beside a program path in that folder.
inline void LoadLibraryFixture(const char* fixture) {
    std::string folder = ScratchFolder(fixture);
    std::string library = folder + "kvolng.dll";
    ASSERT_TRUE(CopyFileA((TestFolder() + "fixtures\\" + fixture + ".dll").c_str(), library.c_str(), FALSE));
    g_extResource.Load(GetModuleHandleA(nullptr), (folder + "uninstall.exe").c_str());
}

// Every test starts without library and language file and leaves none behind.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_extResource.Load(GetModuleHandleA(nullptr), (ScratchFolder("empty") + "uninstall.exe").c_str());
        g_language.Load((ScratchFolder("empty") + "none.lng").c_str());
    }
    void TearDown() override {
        g_language.Unload();
        g_extResource.Release();
    }
};
