// Helpers shared by the Win32 suites under Wine.
#pragma once
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

// A namespace of their own: other suites have inline helpers of the same names.
namespace uninstall_tests {

// The family the prefix poses as: run-suites.sh sets KVO_FAMILY to "nt" or "98".
inline bool IsNtPrefix() {
    const char* family = getenv("KVO_FAMILY");
    return !family || strcmp(family, "98") != 0;
}

// The temporary folder, with its backslash.
inline std::string TempFolder() {
    char path[MAX_PATH];
    GetTempPathA(sizeof(path), path);
    return path;
}

inline bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// The Unix path of a Windows path, through Wine's own export.
inline std::string UnixPath(const std::string& path) {
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    ToUnix toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return std::string();
    WCHAR wide[1024];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024);
    char* unixPath = toUnix(wide);
    std::string result = unixPath ? unixPath : "";
    if (unixPath)
        HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Runs a Unix tool of the machine on one file of the prefix; returns its output (UTF-8), or ""
// when it did not finish within 20 s. Wine hands Windows standard handles to no Unix program
// and reports such a process ended before it has, so the shell writes the output to a file
// and renames it when done.
inline std::string RunUnixTool(const char* tool, const std::string& windowsPath) {
    char outputPath[MAX_PATH];
    char tempFolder[MAX_PATH];
    GetTempPathA(sizeof(tempFolder), tempFolder);
    GetTempFileNameA(tempFolder, "kvo", 0, outputPath);
    std::string donePath = std::string(outputPath) + ".done";
    std::string arguments = std::string("Z:\\bin\\sh -c \"") + tool +
                            " \\\"$0\\\" >\\\"$1\\\" 2>&1; mv \\\"$1\\\" \\\"$1.done\\\"\" \"" +
                            UnixPath(windowsPath) + "\" \"" + UnixPath(outputPath) + "\"";
    WCHAR wide[4096];
    std::string result;
    if (MultiByteToWideChar(CP_UTF8, 0, arguments.c_str(), -1, wide, 4096)) {
        STARTUPINFOW startup;
        memset(&startup, 0, sizeof(startup));
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process;
        if (CreateProcessW(nullptr, wide, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            for (int waited = 0; waited < 20000 && !PathExists(donePath); waited += 50)
                Sleep(50);
            result = ReadBytes(donePath);
        }
    }
    DeleteFileA(outputPath);
    DeleteFileA(donePath.c_str());
    return result;
}

// Runs one test of this program again in a child process, started through a shell with the
// variables assigned first (a locale, say: Wine takes a process's code page from its Unix
// environment, which a Windows parent cannot set); the child's output, ending in "exit=" and its
// status.
inline std::string RunTestInChild(const std::string& assignments, const std::string& test) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string tool = "f() { " + assignments + " \"$WINE\" $1 --gtest_filter=" + test + "; echo exit=$?; }; f";
    return RunUnixTool(tool.c_str(), self);
}

// The names of the files and folders that a pattern ("C:\\Temp\\Kvo*") finds, "." and ".." left out.
inline std::vector<std::string> FoundNames(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found) != FALSE) {
        if (strcmp(found.cFileName, ".") && strcmp(found.cFileName, ".."))
            names.push_back(found.cFileName);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return names;
}

// Deletes a folder tree of the test's own making (attributes cleared first).
inline void DeleteTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    for (const std::string& name : FoundNames(path + "\\*"))
        DeleteTree(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
}

// Deletions waiting for the restart: the NT family keeps them in this value, the older systems
// in WININIT.INI of the Windows folder (renamed to wininit.bak once done).
const char SessionManagerKey[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char PendingValue[] = "PendingFileRenameOperations";

inline std::string WindowsFile(const char* name) {
    char folder[MAX_PATH];
    GetWindowsDirectoryA(folder, sizeof(folder));
    return std::string(folder) + "\\" + name;
}

// So that no test leaves a deletion behind for a later restart.
inline void ClearRestartDeletions() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, PendingValue);
        RegCloseKey(key);
    }
    RemoveDirectoryA(WindowsFile("WININIT.INI").c_str());
    DeleteFileA(WindowsFile("WININIT.INI").c_str());
    DeleteFileA(WindowsFile("wininit.bak").c_str());
}

// Makes every deletion at the restart fail, on both families: the value with a type that is not
// a list, and a folder where WININIT.INI would be.
inline void BlockRestartDeletions() {
    ClearRestartDeletions();
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        DWORD zero = 0;
        RegSetValueExA(key, PendingValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof(zero));
        RegCloseKey(key);
    }
    CreateDirectoryA(WindowsFile("WININIT.INI").c_str(), nullptr);
}

}  // namespace uninstall_tests
