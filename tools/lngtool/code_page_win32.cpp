// ANSI code pages through the system's own conversion, for the Windows build of lngtool: what
// Windows itself makes of the built-in texts on a system of that code page.
#include <windows.h>

#include <vector>

#include "lngtool.h"

bool OpenCodePage(int number, CodePage* codePage, std::string* error) {
    CPINFO info;
    if (!GetCPInfo(static_cast<UINT>(number), &info)) {
        *error = "code page " + std::to_string(number) + " is not installed";
        return false;
    }
    codePage->number = number;
    codePage->multiByte = info.MaxCharSize > 1;
    for (int b = 0; b < 256; b++)
        codePage->lead[b] = IsDBCSLeadByteEx(static_cast<UINT>(number), static_cast<BYTE>(b)) != 0;
    return true;
}

// Through UTF-16; a character the target lacks becomes the system's default character.
static bool Convert(UINT from, UINT to, const std::string& input, std::string* output) {
    if (input.empty())
        return true;
    int wide = MultiByteToWideChar(from, 0, input.data(), static_cast<int>(input.size()), nullptr, 0);
    if (wide <= 0)
        return false;
    std::vector<wchar_t> text(static_cast<size_t>(wide));
    MultiByteToWideChar(from, 0, input.data(), static_cast<int>(input.size()), text.data(), wide);
    BOOL defaulted = FALSE;
    BOOL* usedDefault = to == CP_UTF8 ? nullptr : &defaulted;
    int narrow = WideCharToMultiByte(to, 0, text.data(), wide, nullptr, 0, nullptr, usedDefault);
    if (narrow <= 0)
        return false;
    std::vector<char> bytes(static_cast<size_t>(narrow));
    WideCharToMultiByte(to, 0, text.data(), wide, bytes.data(), narrow, nullptr, usedDefault);
    output->append(bytes.data(), bytes.size());
    return !defaulted;
}

// The system's own conversion, best fit included: what the program sees, so every key is known.
Conversion ToCodePage(const CodePage& codePage, const std::string& utf8, std::string* bytes) {
    return Convert(CP_UTF8, static_cast<UINT>(codePage.number), utf8, bytes) ? ConvertedExactly
                                                                             : ConvertedWithDefaults;
}

std::string FromCodePage(const CodePage& codePage, const std::string& bytes) {
    std::string utf8;
    Convert(static_cast<UINT>(codePage.number), CP_UTF8, bytes, &utf8);
    return utf8;
}
