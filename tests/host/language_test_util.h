// Writing language files for the tests, and building their entry lines.
#pragma once
#include <stdio.h>

#include <string>

#include "lang/lookup_key.h"

// Writes bytes to a file in the test's temporary folder and returns its path.
inline std::string WriteTestFile(const std::string& name, const std::string& bytes) {
    std::string path = ::testing::TempDir() + name;
    FILE* f = fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, f);
    if (f) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    return path;
}

inline std::string Key(char kind, const char* context, const char* text) {
    char key[9];
    MakeLookupKey(key, kind, context, text);
    return key;
}

// An entry line as translators write it: key="text" and a line break.
inline std::string Entry(char kind, const char* context, const char* builtIn,
                         const std::string& translated) {
    return Key(kind, context, builtIn) + "=\"" + translated + "\"\r\n";
}

inline const std::string kMarker = "***messages***\r\n";
