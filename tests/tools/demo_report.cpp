// Prints, for a person, what setup registered and whether uninstall took it back:
//   demo_report registered FOLDER    after setup
//   demo_report restored FOLDER      after uninstall
// Texts from the registry are in the ANSI code page; they are printed in UTF-8.
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

static std::string Utf8(const std::string& ansi) {
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, w.data(), wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> u(narrow);
    WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, u.data(), narrow, nullptr, nullptr);
    return u.data();
}

// A text value, or null when the key or value is missing.
static bool Text(HKEY root, const char* path, const char* name, std::string* out) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    char buffer[2048];
    DWORD size = sizeof(buffer) - 1, type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    if (type == REG_DWORD && size == 4) {
        *out = std::to_string(*reinterpret_cast<DWORD*>(buffer));
    } else {
        buffer[size] = '\0';
        *out = buffer;
    }
    return true;
}

static std::string Show(HKEY root, const char* path, const char* name) {
    std::string value;
    return Text(root, path, name, &value) ? "\"" + Utf8(value) + "\"" : "(none)";
}

static bool KeyExists(HKEY root, const char* path) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

static const char* const kExtensions[] = {".kvo", ".zip", ".cab", ".arj", ".lzh", ".lha", ".ace", ".tar",
                                          ".gz", ".tgz", ".uue", ".xxe", ".uu", ".bz2", ".tbz2", ".bz",
                                          ".tbz", ".jar", ".iso"};
static const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";
static const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Krelvo.exe";
static const char kServerKey[] = "CLSID\\{5A3C9E10-4B7D-11D2-8F21-C3D9A0B6E417}\\InProcServer32";

static std::string ProgramGroup() {
    char programs[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    return std::string(programs) + "\\Krelvo";
}

static void Registered() {
    printf("Archive associations (handler now, and the previous one saved for uninstall):\n");
    for (const char* ext : kExtensions) {
        std::string saved = std::string("Software\\Krelvo\\Setup\\") + ext, exist, type;
        std::string previous = "(none)";
        if (Text(HKEY_LOCAL_MACHINE, saved.c_str(), "Exist", &exist))
            previous = exist == "0" ? "(no key)" : (Text(HKEY_LOCAL_MACHINE, saved.c_str(), "Type", &type) && !type.empty()
                                                        ? "\"" + type + "\"" : "(no class)");
        printf("  %-6s -> %-14s previous: %s\n", ext, Show(HKEY_CLASSES_ROOT, ext, "").c_str(), previous.c_str());
    }
    int volumes = 0;
    for (int i = 0; i < 100; i++) {
        char volume[8];
        snprintf(volume, sizeof(volume), ".r%02d", i);
        std::string cls;
        if (Text(HKEY_CLASSES_ROOT, volume, "", &cls) && cls == "Krelvo")
            volumes++;
    }
    printf("  volume extensions .r00 onward held: %d\n", volumes);
    printf("Program classes:\n");
    for (const char* cls : {"Krelvo", "Krelvo.ZIP", "Krelvo.REV"}) {
        std::string command = std::string(cls) + "\\shell\\open\\command";
        printf("  %-11s %s, opens with %s\n", cls, Show(HKEY_CLASSES_ROOT, cls, "").c_str(),
               Show(HKEY_CLASSES_ROOT, command.c_str(), "").c_str());
    }
    printf("  .rev       -> %s\n", Show(HKEY_CLASSES_ROOT, ".rev", "").c_str());
    printf("Shell extension: server %s\n", Show(HKEY_CLASSES_ROOT, kServerKey, "").c_str());
    printf("Application path: %s, folder %s\n", Show(HKEY_LOCAL_MACHINE, kAppPathKey, "").c_str(),
           Show(HKEY_LOCAL_MACHINE, kAppPathKey, "Path").c_str());
    printf("Uninstall entry: %s, command %s\n", Show(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName").c_str(),
           Show(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").c_str());
    std::string group = ProgramGroup();
    printf("Program group %s:\n", Utf8(group).c_str());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((group + "\\*.lnk").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            printf("  %s\n", Utf8(found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
}

static int Restored(const char* folder) {
    int problems = 0;
    printf("Archive associations now:\n");
    for (const char* ext : kExtensions) {
        std::string value = Show(HKEY_CLASSES_ROOT, ext, "");
        printf("  %-6s -> %s\n", ext, value.c_str());
        if (value.find("Krelvo") != std::string::npos)
            problems++;
    }
    struct Check {
        const char* what;
        bool gone;
    } checks[] = {
        {"product settings HKCU\\Software\\Krelvo", !KeyExists(HKEY_CURRENT_USER, "Software\\Krelvo")},
        {"handler records HKLM\\Software\\Krelvo", !KeyExists(HKEY_LOCAL_MACHINE, "Software\\Krelvo")},
        {"program classes Krelvo, Krelvo.ZIP, Krelvo.REV",
         !KeyExists(HKEY_CLASSES_ROOT, "Krelvo") && !KeyExists(HKEY_CLASSES_ROOT, "Krelvo.ZIP") &&
             !KeyExists(HKEY_CLASSES_ROOT, "Krelvo.REV")},
        {"shell extension server", !KeyExists(HKEY_CLASSES_ROOT, kServerKey)},
        {"application path", !KeyExists(HKEY_LOCAL_MACHINE, kAppPathKey)},
        {"uninstall entry", !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)},
        {"program group", GetFileAttributesA(ProgramGroup().c_str()) == INVALID_FILE_ATTRIBUTES},
        {"installation folder", GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES},
    };
    for (const Check& check : checks) {
        printf("  %-46s %s\n", check.what, check.gone ? "removed" : "STILL THERE");
        problems += !check.gone;
    }
    return problems ? 1 : 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "registered") == 0) {
        Registered();
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "restored") == 0)
        return Restored(argv[2]);
    fprintf(stderr, "usage: demo_report registered|restored FOLDER\n");
    return 2;
}
