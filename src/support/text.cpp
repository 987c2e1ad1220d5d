#include "support/text.h"

unsigned char LeadByteTable[257];

const char* NextCharPos(const char* p) {
    if (!*p)
        return p;
    // A lone lead byte right before the terminator steps by one, onto the terminator.
    if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

// Steps by character on a multi-byte code page, by byte otherwise.
static const char* Step(const char* p) {
    return IsMultiByteCodePage() ? NextCharPos(p) : p + 1;
}

const char* FileNamePart(const char* path) {
    const char* name = nullptr;
    for (const char* p = path; *p; p = Step(p)) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    if (name)
        return name;
    if (!*path)
        return path;
    if (path[1] == ':' && !(IsMultiByteCodePage() && IsLeadByte(static_cast<unsigned char>(path[0]))))
        return path + 2;
    return path;
}

const char* LastCharPos(const char* text) {
    const char* last = text;
    for (const char* p = text; *p; p = Step(p))
        last = p;
    return last;
}

char* AppendBackslash(char* path) {
    if (!*path)
        return path;
    char* last = LastCharPos(path);
    if (*last != '\\') {
        char* end = last;
        while (*end)
            end++;
        end[0] = '\\';
        end[1] = '\0';
    }
    return path;
}

char* TrimTrailingWhitespace(char* text) {
    char* end = text;
    while (*end)
        end++;
    while (end > text) {
        char c = end[-1];
        if (c != '\r' && c != '\n' && c != ' ' && c != '\t')
            break;
        *--end = '\0';
    }
    return text;
}
