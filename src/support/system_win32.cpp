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

void EndProcess(int exitCode) {
    ExitProcess(static_cast<UINT>(exitCode));
}

int CompareIgnoreCase(const char* a, const char* b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, a, -1, b, -1) - 2;
}

static int platformId = -1;
static int majorVersion;

int NtMajorVersion() {
    if (platformId == -1) {
        OSVERSIONINFOA info;
        info.dwOSVersionInfoSize = sizeof(info);  // 148 bytes
        GetVersionExA(&info);
        platformId = static_cast<int>(info.dwPlatformId);
        majorVersion = static_cast<int>(info.dwMajorVersion);
    }
    return platformId == VER_PLATFORM_WIN32_NT ? majorVersion : 0;
}
