#include <windows.h>

#include "support/system.h"
#include "support/text.h"

void FillLeadByteTable() {
    CPINFO info;
    if (!GetCPInfo(CP_ACP, &info)) {
        for (int i = 0; i < 257; i++)
            LeadByteTable[i] = 0;
        return;
    }
    LeadByteTable[256] = info.MaxCharSize > 1;
    for (int i = 0; i < 256; i++)
        LeadByteTable[i] = IsDBCSLeadByte(static_cast<BYTE>(i)) != 0;
}

namespace {
// Before the entry point runs, so that every helper sees the table.
struct LeadByteTableFiller {
    LeadByteTableFiller() { FillLeadByteTable(); }
} leadByteTableFiller;
}  // namespace

bool GetProgramPath(char* path) {
    const DWORD size = 1024;
    DWORD length = GetModuleFileNameA(nullptr, path, size);
    if (length == 0 || length >= size) {
        path[0] = '\0';
        return false;
    }
    path[length] = '\0';
    return true;
}

void* Kernel32Function(const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
}

typedef DWORD(WINAPI* PathFormFunction)(const char*, char*, DWORD);

bool IsSameFile(const char* a, const char* b) {
    if (CompareIgnoreCase(a, b) == 0)
        return true;
    // Reached at run time: 95 and NT 4.0 lack the first, and neither is among the functions
    // checked against their export tables.
    static const char* const forms[] = {"GetLongPathNameA", "GetShortPathNameA"};
    for (const char* name : forms) {
        PathFormFunction form = reinterpret_cast<PathFormFunction>(Kernel32Function(name));
        char formA[1024];
        char formB[1024];
        if (!form)
            continue;
        // Unsigned: 0, a failure, becomes the largest value; so does a form that did not fit.
        DWORD lengthA = form(a, formA, sizeof(formA));
        DWORD lengthB = form(b, formB, sizeof(formB));
        return lengthA - 1 < sizeof(formA) - 1 && lengthB - 1 < sizeof(formB) - 1 &&
               CompareIgnoreCase(formA, formB) == 0;
    }
    return false;
}

void EndProcess(int exitCode) {
    ExitProcess(static_cast<UINT>(exitCode));
}

int CompareIgnoreCase(const char* a, const char* b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a, -1, b, -1) - 2;
}

static int platformId;  // 0 until asked: Win32s, which never runs this program
static int majorVersion;

int NtMajorVersion() {
    if (platformId == 0) {
        OSVERSIONINFOA info;
        info.dwOSVersionInfoSize = sizeof(info);  // 148 bytes
        GetVersionExA(&info);
        platformId = static_cast<int>(info.dwPlatformId);
        majorVersion = static_cast<int>(info.dwMajorVersion);
    }
    return platformId == VER_PLATFORM_WIN32_NT ? majorVersion : 0;
}
