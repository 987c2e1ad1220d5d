#include "driver/switches.h"

#include "support/text.h"

static char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

static bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// True when the first strlen(prefix) characters of word equal prefix (lower case), ignoring case.
static bool StartsWithWord(const char* word, const char* prefix) {
    for (; *prefix; word++, prefix++) {
        if (LowerAscii(*word) != *prefix)
            return false;  // also at the end of word
    }
    return true;
}

const char* SkipProgramName(const char* commandLine) {
    const char* p = commandLine;
    bool quoted = false;
    while (*p && (quoted || static_cast<unsigned char>(*p) > ' ')) {
        if (*p == '"')
            quoted = !quoted;
        p = NextCharPos(p);
    }
    while (*p && static_cast<unsigned char>(*p) <= ' ')
        p++;
    return p;
}

const char* FindSwitchWord(const char* cursor) {
    for (; *cursor; cursor++) {
        if (*cursor == '/' || *cursor == '-')
            return cursor + 1;
    }
    return nullptr;
}

SwitchKind ClassifySwitch(const char* word) {
    if (StartsWithWord(word, "setup"))
        return SwitchSetup;
    if (LowerAscii(word[0]) == 's' && !IsAsciiLetter(word[1]))
        return SwitchSilent;
    if (StartsWithWord(word, "wait"))
        return SwitchWait;
    if (StartsWithWord(word, "warning"))
        return SwitchWarning;
    if (StartsWithWord(word, "log"))
        return SwitchLog;
    return SwitchIgnored;
}
