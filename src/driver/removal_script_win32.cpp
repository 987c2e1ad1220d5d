// Writing and starting the self-removal script. A silent uninstall that a deployment tool runs
// as SYSTEM has C:\Windows\Temp as its temporary folder, where every user may create files: a
// file or a hard link standing at a name there would be written through with the uninstall's
// rights. So nothing that stood in the temporary folder is ever opened: the script goes under
// a name made fresh by this run. On the NT family that is a new folder that only the
// Administrators, SYSTEM and this run's own account may enter, the script inside it; the older
// systems have no file security and get a new file.
#include <string.h>

#include <windows.h>

#include "driver/removal_script.h"
#include "shell/desktop_launch.h"
#include "support/system.h"

// Whether a path (below 1024 bytes) names the same file when its OEM form is read back in the
// OEM code page. A character that the OEM code page lacks becomes "?" or a look-alike, and
// the script would then name some other file.
static bool ReadsTheSameInOem(const char* path) {
    char oem[1024];
    WCHAR ansiWide[1024];
    WCHAR oemWide[1024];
    int length = lstrlenA(path);
    if (length == 0 || length >= static_cast<int>(sizeof(oem)))
        return length == 0;
    CharToOemBuffA(path, oem, static_cast<DWORD>(length));
    int a = MultiByteToWideChar(CP_ACP, 0, path, length, ansiWide, 1024);
    int o = MultiByteToWideChar(CP_OEMCP, 0, oem, length, oemWide, 1024);
    return a > 0 && a == o && memcmp(ansiWide, oemWide, a * sizeof(WCHAR)) == 0;
}

// The DACL of the script's folder: full control of the folder and, inherited, of the files
// and folders in it, for the Administrators (S-1-5-32-544), SYSTEM (S-1-5-18) and the account
// of this process's token, filled in last; for no one else. ACL and ACE records as winnt.h
// lays them out, each a multiple of four bytes.
namespace {
struct FolderAcl {
    ACL header;
    ACE_HEADER administratorsEntry;
    DWORD administratorsMask;
    BYTE administrators[16];
    ACE_HEADER systemEntry;
    DWORD systemMask;
    BYTE system[12];
    ACE_HEADER accountEntry;
    DWORD accountMask;
    BYTE account[SECURITY_MAX_SID_SIZE];
};
}  // namespace
static const BYTE Inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
// A SID: revision, count of subauthorities, authority 5 (NT) big-endian, the subauthorities.
// Copied into folderAcl (zero until then, so that it takes no room in the program file) before
// the account's entry is filled in.
static const FolderAcl folderAclStart = {
    {ACL_REVISION, 0, sizeof(FolderAcl), 3, 0},
    {ACCESS_ALLOWED_ACE_TYPE, Inherited, 8 + 16}, FILE_ALL_ACCESS,
    {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0},
    {ACCESS_ALLOWED_ACE_TYPE, Inherited, 8 + 12}, FILE_ALL_ACCESS,
    {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0},
    {ACCESS_ALLOWED_ACE_TYPE, Inherited, 0}, FILE_ALL_ACCESS, {0},
};
static FolderAcl folderAcl;
static SECURITY_DESCRIPTOR folderSecurity;

// The descriptor of the script's folder, protected, so that the entries of the temporary
// folder above (every user may create there) are not merged in. Null when it cannot be made.
static SECURITY_DESCRIPTOR* PrivateFolderSecurity() {
    // A TOKEN_USER with its SID behind it.
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } account;
    if (!ReadProcessToken(GetCurrentProcess(), TokenUser, &account, sizeof(account)))
        return nullptr;
    // At most 15 subauthorities: SECURITY_MAX_SID_SIZE bytes.
    SID* sid = static_cast<SID*>(account.user.User.Sid);
    DWORD sidSize = 8 + 4 * sid->SubAuthorityCount;
    folderAcl = folderAclStart;
    // As InitializeSecurityDescriptor and SetSecurityDescriptorDacl make it.
    folderSecurity.Revision = SECURITY_DESCRIPTOR_REVISION;
    folderSecurity.Control = SE_DACL_PRESENT;
    folderSecurity.Dacl = &folderAcl.header;
    memcpy(folderAcl.account, sid, sidSize);
    folderAcl.accountEntry.AceSize = static_cast<WORD>(8 + sidSize);
    // Windows 2000 and later; looked up, as Windows 95 lacks it. NT 4.0 lacks it too, and
    // merges no inherited entries into a DACL given at creation.
    typedef BOOL(WINAPI * SetControlCall)(SECURITY_DESCRIPTOR*, WORD, WORD);
    SetControlCall setControl = reinterpret_cast<SetControlCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("advapi32.dll"), "SetSecurityDescriptorControl")));
    if (setControl && !setControl(&folderSecurity, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return nullptr;
    return &folderSecurity;
}

// Creates the script's file (CREATE_NEW) under a name made fresh in the temporary folder:
// TEMP\KvoXXXXXXXX\Uninstall_Kvo.Bat in a new private folder on the NT family, its path then
// in scriptFolder; TEMP\KvoXXXXXXXX.Bat on the older systems. A name already taken is never
// used: another is tried, 16 in all; then nothing is left made.
static HANDLE CreateScriptFile(char* scriptPath /* 1024 bytes */, char* scriptFolder /* 1024 bytes */,
                               bool ntFamily) {
    static const char scriptName[] = "\\Uninstall_Kvo.Bat";
    DWORD tempLength = GetTempPathA(1024, scriptPath);
    // "Kvo", eight digits and the script's name.
    if (tempLength == 0 || tempLength + 11 + sizeof(scriptName) > 1024)
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, FALSE};
    if (ntFamily && !(attributes.lpSecurityDescriptor = PrivateFolderSecurity()))
        return INVALID_HANDLE_VALUE;
    char* name = scriptPath + tempLength;
    memcpy(name, "Kvo", 3);
    DWORD value = GetCurrentProcessId() << 16;
    for (int attempt = 0; attempt < 16; attempt++) {
        value = value * 69069 + GetTickCount();
        for (int i = 0; i < 8; i++)
            name[3 + i] = "0123456789ABCDEF"[(value >> (28 - 4 * i)) & 15];
        name[11] = '\0';
        if (ntFamily) {
            // Fails on any name that exists (a file, a folder, a link): never used then.
            if (!CreateDirectoryA(scriptPath, &attributes))
                continue;
            memcpy(scriptFolder, scriptPath, tempLength + 12);
            memcpy(name + 11, scriptName, sizeof(scriptName));
        } else {
            memcpy(name + 11, ".Bat", 5);
        }
        HANDLE file = CreateFileA(scriptPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        if (ntFamily)
            RemoveDirectoryA(scriptFolder);
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteRemovalScript(char* scriptPath, char* scriptFolder, const char* programPath, bool silent) {
    char folder[1024];
    DWORD n = GetCurrentDirectoryA(sizeof(folder), folder);
    if (n == 0 || n >= sizeof(folder))
        return false;
    bool ntFamily = NtMajorVersion() != 0;
    HANDLE file = CreateScriptFile(scriptPath, scriptFolder, ntFamily);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static char script[RemovalScriptSize];
    int length = ComposeRemovalScript(script, sizeof(script), ntFamily, silent, programPath, folder, scriptPath);
    DWORD written = 0;
    if (length >= 0) {
        // The interpreter reads a batch file in the OEM code page, not the ANSI one the paths
        // are in: where the two differ (1252 and 850, 1251 and 866) every non-ASCII character
        // would make the lines miss their files. The script's text is converted unless a path
        // cannot be said in the OEM code page; on code page 950 the bytes stay as they are.
        if (ReadsTheSameInOem(programPath) && ReadsTheSameInOem(folder) && ReadsTheSameInOem(scriptPath))
            CharToOemBuffA(script, script, static_cast<DWORD>(length));
        // Binary: the bytes go out exactly as composed, CR LF included. WriteFile sets written
        // to 0 before anything else.
        WriteFile(file, script, static_cast<DWORD>(length), &written, nullptr);
    }
    CloseHandle(file);
    if (length < 0 || written != static_cast<DWORD>(length)) {
        DeleteFileA(scriptPath);
        if (ntFamily)
            RemoveDirectoryA(scriptFolder);
        return false;
    }
    return true;
}

void StartRemovalScript(const char* scriptPath, const char* scriptFolder) {
    char comspec[1024];
    memset(comspec, 0, sizeof(comspec));
    DWORD n = GetEnvironmentVariableA("COMSPEC", comspec, sizeof(comspec));
    if (n >= sizeof(comspec))
        comspec[0] = '\0';
    bool ntFamily = NtMajorVersion() != 0;
    char commandLine[InterpreterCommandSize];
    if (!ComposeInterpreterCommand(commandLine, sizeof(commandLine), ntFamily, comspec, scriptPath,
                                   ntFamily ? scriptFolder : nullptr))
        return;

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    HANDLE nul = INVALID_HANDLE_VALUE;
    if (ntFamily) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    } else {
        // Inheritable, or the interpreter would receive handle values that mean nothing to it.
        SECURITY_ATTRIBUTES inherit;
        inherit.nLength = sizeof(inherit);
        inherit.lpSecurityDescriptor = nullptr;
        inherit.bInheritHandle = TRUE;
        nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    // The interpreter inherits the parent folder as its current directory, so the program
    // folder is nobody's current directory when the script removes it.
    SetCurrentDirectoryA("..");
    PROCESS_INFORMATION process;
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, ntFamily ? 0 : DETACHED_PROCESS,
                       nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
}
