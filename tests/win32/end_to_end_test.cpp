// The whole program in a prefix of its own, as the installer and the system start it: a silent
// and an interactive setup in an installation folder laid out as the installer leaves it, and
// the round trip setup, uninstall, with the registry compared before and after.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <sstream>

#include "installation.h"
#include "reg_dump.h"
#include "test_helpers.h"
#include "test_support.h"

namespace {

using uninstall_tests::IsNtPrefix;
using uninstall_tests::PathExists;
using uninstall_tests::ReadBytes;
using uninstall_tests::TempFolder;
using uninstall_tests::WriteBytes;

// An installation folder with blanks in its path, as the installer leaves it; or, given a
// parent folder (made for the test), that folder's "Krelvo".
struct TestInstallation : Installation {
    explicit TestInstallation(const char* parentFolder = nullptr)
        : Installation(parentFolder ? std::string(parentFolder) + "\\Krelvo"
                                    : ProgramFilesFolder() + "\\Krelvo Setup Test",
                       parentFolder ? parentFolder : "") {
        Stage(ProgramPath());
    }
};

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

std::string RegBytes(HKEY root, const std::string& path, const char* name) {
    DWORD type = 0;
    std::string bytes;
    return GetRegValue(root, path, name, &type, &bytes) ? bytes : "<none>";
}

// A dump's lines with the root's name before each path ("K HKCR\.zip"), as the run's log
// names keys.
std::string Rooted(const char* root, const std::string& dump) {
    std::istringstream lines(dump);
    std::string out;
    for (std::string line; std::getline(lines, line);)
        out += line.substr(0, 2) + root + "\\" + line.substr(2) + "\n";
    return out;
}

// The registry trees that setup writes to; what uninstall must give back. Sorted, each line
// with its root.
std::string DumpTouchedRegistry() {
    return SortLines(
        Rooted("HKCR", DumpRegTrees(HKEY_CLASSES_ROOT, {""})) +
        Rooted("HKCU", DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo")) +
        Rooted("HKLM", DumpRegTrees(HKEY_LOCAL_MACHINE, {"Software\\Krelvo", "Software\\RegisteredApplications",
                                                         "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                                                         "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                                         "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions"})));
}

// Runs the program in the installation folder and lets it end by itself.
void RunSilentSetup(const Installation& installation, const char* more = "") {
    RunningProgram program;
    ASSERT_TRUE(program.Start(installation.Program() + " /s /setup" + more, installation.folder.c_str()));
    EXPECT_EQ(nullptr, program.WaitForDialog(20000)) << "a silent setup showed a window";
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(60000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

// Uninstalls as the system starts it (by the program's path, no arguments) and answers Yes, or
// silently as a package manager starts it (with /s, nothing to answer); on the NT family waits
// until the removal script has taken the program and its folder.
void RunUninstall(const Installation& installation, bool silent = false, const char* more = "") {
    // On the 95/98 family the removal script goes to a stand-in interpreter: Wine's own cmd.exe
    // cannot run the 9x script's "start /wait" line.
    std::string savedComspec = getenv("COMSPEC") ? getenv("COMSPEC") : "";
    if (!IsNtPrefix())
        SetEnvironmentVariableA("COMSPEC", (TestFolder() + "interpreter_probe.exe").c_str());
    RunningProgram program;
    bool started = program.Start(installation.Program() + (silent ? " /s" : "") + more);
    SetEnvironmentVariableA("COMSPEC", savedComspec.c_str());
    ASSERT_TRUE(started);
    HWND box = program.WaitForDialog(silent ? 5000 : 20000);
    if (silent) {
        EXPECT_EQ(nullptr, box) << "the silent uninstall showed a window";
    } else {
        ASSERT_NE(nullptr, box);
        PressButton(box, IDYES);
    }
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(60000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    if (IsNtPrefix()) {
        for (int i = 0; i < 600 && PathExists(installation.folder); i++)
            Sleep(100);
        EXPECT_FALSE(PathExists(installation.folder)) << "the program and its folder stayed";
    }
}

// The folder window that setup opens on the program group, closed as a user would close it.
bool CloseProgramGroupWindow() {
    for (int i = 0; i < 200; i++) {
        HWND window = FindWindowA("ExplorerWClass", "Krelvo");
        if (!window)
            window = FindWindowA("CabinetWClass", "Krelvo");
        if (window) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            for (int j = 0; j < 100 && IsWindow(window); j++)
                Sleep(50);
            return true;
        }
        Sleep(50);
    }
    return false;
}

// Kilobytes of the files that the installation's list names, each counted once, rounded up.
DWORD ListedKilobytes(const Installation& installation) {
    std::istringstream list(ReadBytes(installation.Path("Uninstall.lst")));
    unsigned long long bytes = 0;
    for (std::string name; std::getline(list, name);) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(installation.Path(name.substr(0, name.find('\r')).c_str()).c_str(),
                                 GetFileExInfoStandard, &data))
            bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return static_cast<DWORD>((bytes + 1023) / 1024);
}

TEST(EndToEndSetup, SilentSetupRegistersTheFirstRunDefaults) {
    TestInstallation installation;
    // What the list names before setup, the program among it.
    DWORD kilobytes = ListedKilobytes(installation);
    RunSilentSetup(installation);

    // The saved choices: the first-run defaults.
    const std::string setup = "Software\\Krelvo\\Setup";
    EXPECT_EQ(Dword(1), RegBytes(HKEY_CURRENT_USER, setup, "ShellExt"));
    EXPECT_EQ(Dword(0), RegBytes(HKEY_CURRENT_USER, setup, "CascadedMenu"));
    EXPECT_EQ(Dword(1), RegBytes(HKEY_CURRENT_USER, setup, "MenuIcons"));
    EXPECT_EQ(Dword(0), RegBytes(HKEY_CURRENT_USER, setup + "\\Links", "Desktop"));
    EXPECT_EQ(Dword(0), RegBytes(HKEY_CURRENT_USER, setup + "\\Links", "StartMenu"));
    EXPECT_EQ(Dword(1), RegBytes(HKEY_CURRENT_USER, setup + "\\Links", "Programs"));
    for (const char* kind : {".kvo", ".zip", ".cab", ".arj", ".lzh", ".ace", ".tar", ".gz", ".uue", ".bz2", ".jar"})
        EXPECT_EQ(Dword(1), RegBytes(HKEY_CURRENT_USER, setup + "\\" + kind, "Set")) << kind;
    EXPECT_EQ("<none>", RegBytes(HKEY_CURRENT_USER, setup + "\\.iso", "Set")) << ".iso is decided afresh";

    // Associations with every extension of each kind, the volume extensions, classes,
    // shell extension, application path, uninstall entry.
    for (const char* ext : {".kvo", ".cab", ".arj", ".lzh", ".lha", ".ace", ".tar", ".gz", ".tgz", ".uue",
                            ".xxe", ".uu", ".bz2", ".tbz2", ".bz", ".tbz", ".jar", ".iso"})
        EXPECT_EQ("Krelvo", GetRegText(HKEY_CLASSES_ROOT, ext, "")) << ext;
    EXPECT_EQ("Krelvo.ZIP", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    int volumes = 0;
    for (int i = 0; i < 100; i++) {
        char volume[8];
        snprintf(volume, sizeof(volume), ".r%02d", i);
        volumes += GetRegText(HKEY_CLASSES_ROOT, volume, "") == "Krelvo";
    }
    EXPECT_EQ(IsNtPrefix() ? 30 : 100, volumes);
    EXPECT_EQ("Krelvo.REV", GetRegText(HKEY_CLASSES_ROOT, ".rev", ""));
    EXPECT_EQ(installation.Path("kvoext.dll"),
              GetRegText(HKEY_CLASSES_ROOT, "CLSID\\{5A3C9E10-4B7D-11D2-8F21-C3D9A0B6E417}\\InProcServer32", ""));
    EXPECT_EQ(Ansi("Krelvo 壓縮檔"), GetRegText(HKEY_CLASSES_ROOT, "Krelvo", ""));
    const std::string appPath = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Krelvo.exe";
    EXPECT_EQ(installation.Path("Krelvo.exe"), GetRegText(HKEY_LOCAL_MACHINE, appPath, ""));
    EXPECT_EQ(installation.folder, GetRegText(HKEY_LOCAL_MACHINE, appPath, "Path"));
    const std::string entry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";
    EXPECT_EQ(Ansi("Krelvo 壓縮工具"), GetRegText(HKEY_LOCAL_MACHINE, entry, "DisplayName"));
    EXPECT_EQ(installation.Program(), GetRegText(HKEY_LOCAL_MACHINE, entry, "UninstallString"));
    EXPECT_EQ(installation.Program() + " /s", GetRegText(HKEY_LOCAL_MACHINE, entry, "QuietUninstallString"));
    EXPECT_EQ(installation.Path("Krelvo.exe") + ",0", GetRegText(HKEY_LOCAL_MACHINE, entry, "DisplayIcon"));
    // The stand-in archiver's version resource, with its one translation, Big5 Chinese.
    EXPECT_EQ("5.2.1", GetRegText(HKEY_LOCAL_MACHINE, entry, "DisplayVersion"));
    EXPECT_EQ(Dword(5), RegBytes(HKEY_LOCAL_MACHINE, entry, "VersionMajor"));
    EXPECT_EQ(Dword(2), RegBytes(HKEY_LOCAL_MACHINE, entry, "VersionMinor"));
    EXPECT_EQ("Krelvo Test Works", GetRegText(HKEY_LOCAL_MACHINE, entry, "Publisher"));
    EXPECT_EQ(installation.folder, GetRegText(HKEY_LOCAL_MACHINE, entry, "InstallLocation"));
    EXPECT_EQ(Dword(kilobytes), RegBytes(HKEY_LOCAL_MACHINE, entry, "EstimatedSize"));
    EXPECT_EQ("http://www.krelvo.example/", GetRegText(HKEY_LOCAL_MACHINE, entry, "URLInfoAbout"));
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    snprintf(date, sizeof(date), "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(date, GetRegText(HKEY_LOCAL_MACHINE, entry, "InstallDate"));
    EXPECT_EQ(Dword(1), RegBytes(HKEY_LOCAL_MACHINE, entry, "NoModify"));
    EXPECT_EQ(Dword(1), RegBytes(HKEY_LOCAL_MACHINE, entry, "NoRepair"));

    // The program group with its three links.
    EXPECT_TRUE(PathExists(ProgramGroup() + "\\Krelvo.lnk"));
    EXPECT_TRUE(PathExists(ProgramGroup() + "\\" + Ansi("Krelvo 說明") + ".lnk"));
    EXPECT_TRUE(PathExists(ProgramGroup() + "\\" + Ansi("KVO 命令平台操作手冊") + ".lnk"));
    // The new-file templates: files beside the program on the NT family, registry data on 98.
    EXPECT_EQ(IsNtPrefix(), PathExists(installation.Path("kvonew.dat")));
    EXPECT_EQ(IsNtPrefix(), PathExists(installation.Path("zipnew.dat")));
    RunUninstall(installation);
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, entry)) << "the entry with all its values goes";
}

TEST(EndToEndSetup, InteractiveSetupThenCompletionDialog) {
    // Where a 32-bit program lives on 64-bit Windows: parentheses in the program's path.
    TestInstallation installation("C:\\Program Files (x86)");
    RunningProgram program;
    ASSERT_TRUE(program.Start(installation.Program() + " /setup", installation.folder.c_str()));
    HWND setup = program.WaitForDialog(20000);
    ASSERT_NE(nullptr, setup);
    EXPECT_NE(nullptr, GetDlgItem(setup, 5121)) << "not the setup dialog";
    PressButton(setup, IDOK);
    HWND done = nullptr;
    for (int i = 0; i < 200 && (!done || done == setup || !IsWindow(done) || !GetDlgItem(done, 5107)); i++)
        done = program.WaitForDialog(100);
    ASSERT_NE(nullptr, done);
    EXPECT_EQ(installation.folder, ItemText(done, 5101));
    PressButton(done, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(30000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(Dword(1), RegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\Links", "Programs"));
    // Unless silent, setup ends by opening the program group's folder.
    EXPECT_TRUE(CloseProgramGroupWindow()) << "the program group was not opened";
    RunUninstall(installation);
}

// The lines of `after` that `before` lacks, and the other way round, marked + and -.
std::string Difference(const std::string& before, const std::string& after) {
    std::istringstream a(before), b(after);
    std::string line, out;
    std::vector<std::string> left, right;
    while (std::getline(a, line)) left.push_back(line);
    while (std::getline(b, line)) right.push_back(line);
    size_t i = 0, j = 0;
    while (i < left.size() || j < right.size()) {
        if (j == right.size() || (i < left.size() && left[i] < right[j]))
            out += "- " + left[i++] + "\n";
        else if (i == left.size() || right[j] < left[i])
            out += "+ " + right[j++] + "\n";
        else
            i++, j++;
    }
    return out;
}

// The logs that the runs write in TEMP: at the first two names that a run of today would take,
// a file and a hard link to another file stand, planted, which no run may write through.
struct PlantedLogs {
    std::string temp = TempFolder();
    std::string victim = TestFolder() + "victim.txt";
    std::string names[2];
    std::vector<std::string> seen;
    PlantedLogs() {
        SYSTEMTIME today;
        GetLocalTime(&today);
        for (int i = 0; i < 2; i++) {
            char name[64];
            snprintf(name, sizeof(name), "Krelvo setup %04u-%02u-%02u #%03d.log", today.wYear, today.wMonth,
                     today.wDay, i + 1);
            names[i] = temp + name;
            DeleteFileA(names[i].c_str());
        }
        WriteBytes(names[0], "planted");
        WriteBytes(victim, "victim");
        EXPECT_TRUE(CreateHardLinkA(names[1].c_str(), victim.c_str(), nullptr));
        seen = Logs();
    }
    ~PlantedLogs() {
        EXPECT_EQ("planted", ReadBytes(names[0]));
        EXPECT_EQ("victim", ReadBytes(victim));
        for (const std::string& path : {names[0], names[1], victim})
            DeleteFileA(path.c_str());
    }
    std::vector<std::string> Logs() { return uninstall_tests::FoundNames(temp + "Krelvo setup *.log"); }
    // The text of the one log that the last run wrote, which then goes.
    std::string NewLog() {
        std::string text;
        for (const std::string& log : Logs()) {
            if (std::find(seen.begin(), seen.end(), log) == seen.end()) {
                EXPECT_EQ("", text) << "more than one new log: " << log;
                text = ReadBytes(temp + log);
                DeleteFileA((temp + log).c_str());
            }
        }
        EXPECT_NE(std::string::npos, text.find("exit code 0 after")) << text;
        std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        return text;
    }
};

// Every key and value in which the registry differs before and after a run is named in the
// run's log (case aside): the value in its key; the key, made or deleted, or a key or value
// below it (a key is made with the keys on its way); or a key deleted above. The machine's
// classes are HKCR's.
void ExpectLogNamesEveryDifference(const std::string& before, const std::string& after, std::string log) {
    for (size_t at; (at = log.find(" hklm\\software\\classes\\")) != std::string::npos;)
        log.replace(at + 1, 22, "hkcr\\");
    std::istringstream lines(Difference(before, after));
    for (std::string line; std::getline(lines, line);) {
        // "- V HKCR\.zip|Content Type|1|..." or "+ K HKCR\.kvo"
        std::string item = line.substr(4);
        std::transform(item.begin(), item.end(), item.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        size_t bar = item.find('|');
        std::string key = " " + item.substr(0, bar);
        std::string name = bar == std::string::npos ? "" : item.substr(bar + 1, item.find('|', bar + 1) - bar - 1);
        bool named = false;
        for (const char* end : {"\r\n", "\\", " ["})
            named |= bar == std::string::npos && log.find(key + end) != std::string::npos;
        named |= bar != std::string::npos && log.find(key + " [" + (name.empty() ? "(default)" : name) + "]") != std::string::npos;
        for (std::string above = key; !named && above.find('\\') != std::string::npos; above.erase(above.rfind('\\')))
            named = log.find(" key" + above + "\r\n") != std::string::npos;
        EXPECT_TRUE(named) << line;
    }
}

// The NT-family prefix poses as Windows 7; the program, by its file name, as Windows 10 here.
struct PosingAsWindows10 {
    const std::string key = "Software\\Wine\\AppDefaults\\uninstall.exe";
    PosingAsWindows10() {
        if (IsNtPrefix())
            SetRegText(HKEY_CURRENT_USER, key, "Version", "win10");
    }
    ~PosingAsWindows10() { WipeRegTree(HKEY_CURRENT_USER, key); }
};

// Setup, then the uninstall answered Yes or run silently: the registry is as it was. The
// silent one runs as a deployment tool runs it, as SYSTEM or another administrator, whose
// profile holds nothing of the setup account's (this prefix has one account: its product
// settings key is deleted); both runs then write a log, which names every change.
void RoundTrip(bool silentUninstall) {
    PosingAsWindows10 windows10;
    // A previous handler for .zip, as a user's system has one (whatever earlier runs left),
    // another program offered for .zip, and another in Default Programs.
    WipeRegTree(HKEY_CLASSES_ROOT, ".zip");
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip.Archive");
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/x-zip-compressed");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "NullFile", "");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", "OtherZip.Archive", "");
    // Another archiver's first volume extension.
    WipeRegTree(HKEY_CLASSES_ROOT, ".r00");
    SetRegText(HKEY_CLASSES_ROOT, ".r00", "", "OtherArc.rar");
    const std::string registered = "Software\\RegisteredApplications";
    SetRegText(HKEY_LOCAL_MACHINE, registered, "OtherZip", "Software\\OtherZip\\Capabilities");
    std::string before = DumpTouchedRegistry();
    // The dump reaches HKEY_CLASSES_ROOT's own children on both families.
    ASSERT_NE(std::string::npos, before.find("\nK HKCR\\.zip\n")) << before.substr(0, 200);
    {
        TestInstallation installation;
        PlantedLogs logs;
        RunSilentSetup(installation, silentUninstall ? " /log" : "");
        if (silentUninstall)
            ExpectLogNamesEveryDifference(before, DumpTouchedRegistry(), logs.NewLog());
        ASSERT_EQ("Krelvo.ZIP", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
        // Offered in Default Apps and under "Open with", beside the other program; nothing
        // of it on 98.
        const std::string capabilities = "Software\\Classes\\Krelvo\\Capabilities";
        const bool vista = IsNtPrefix();
        EXPECT_EQ(vista ? capabilities : "<none>", GetRegText(HKEY_LOCAL_MACHINE, registered, "Krelvo"));
        EXPECT_EQ(vista ? Ansi("Krelvo 壓縮工具") : "<none>",
                  GetRegText(HKEY_LOCAL_MACHINE, capabilities, "ApplicationName"));
        EXPECT_EQ(vista ? Ansi("Krelvo 壓縮工具") : "<none>",
                  GetRegText(HKEY_LOCAL_MACHINE, capabilities, "ApplicationDescription"));
        for (const char* ext : {".kvo", ".zip", ".tbz2"}) {
            const char* className = strcmp(ext, ".zip") == 0 ? "Krelvo.ZIP" : "Krelvo";
            EXPECT_EQ(vista ? className : "<none>",
                      GetRegText(HKEY_LOCAL_MACHINE, capabilities + "\\FileAssociations", ext)) << ext;
            EXPECT_EQ(vista ? "" : "<none>",
                      GetRegText(HKEY_CLASSES_ROOT, std::string(ext) + "\\OpenWithProgids", className)) << ext;
        }
        EXPECT_EQ("", GetRegText(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", "OtherZip.Archive"));

        if (silentUninstall)
            WipeRegTree(HKEY_CURRENT_USER, "Software\\Krelvo");
        std::string middle = DumpTouchedRegistry();
        RunUninstall(installation, silentUninstall, silentUninstall ? " /log" : "");
        if (silentUninstall)
            ExpectLogNamesEveryDifference(middle, DumpTouchedRegistry(), logs.NewLog());
    }
    // Gone again, the other programs' values intact (the dumps below compare all of it).
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Krelvo"));
    EXPECT_EQ("OtherArc.rar", GetRegText(HKEY_CLASSES_ROOT, ".r00", ""));
    EXPECT_EQ("", GetRegText(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", "OtherZip.Archive"));
    std::string after = DumpTouchedRegistry();
    EXPECT_EQ("", Difference(before, after));
    EXPECT_FALSE(PathExists(ProgramGroup()));
    WipeRegTree(HKEY_CLASSES_ROOT, ".r00");
}

TEST(EndToEndRoundTrip, SetupThenUninstallGivesTheRegistryBack) { RoundTrip(false); }

TEST(EndToEndRoundTrip, SetupThenSilentUninstallGivesTheRegistryBack) { RoundTrip(true); }

// Whether a key made in the 32-bit view of HKLM\Software\Classes is there in the 64-bit view.
bool MachineClassesShared() {
    const char probe[] = "Software\\Classes\\Krelvo view probe";
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, probe, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    bool shared = RegOpenKeyExA(HKEY_LOCAL_MACHINE, probe, 0, KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS;
    if (shared)
        RegCloseKey(key);
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, probe, KEY_WOW64_32KEY, 0);
    return shared;
}

// The 32-bit program on 64-bit Windows: the 64-bit shell opens the path that
// RegisteredApplications names in its own view, where the program's HKLM\Software is not.
TEST(EndToEndRoundTrip, TheCapabilitiesOpenInThe64BitView) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    DWORD binary = 0;
    if (!IsNtPrefix())
        GTEST_SKIP() << "no Default Programs before Vista";
    if (sizeof(void*) == 4 && !wow64)
        GTEST_SKIP() << "a 32-bit prefix has one view of the registry";
    if (!GetBinaryTypeA(ProgramPath().c_str(), &binary) || binary != SCS_32BIT_BINARY)
        GTEST_SKIP() << "the program under test is not the 32-bit one (run-suites.sh runs it in a 64-bit "
                        "prefix where 32-bit Wine is installed beside 64-bit Wine)";
    if (!MachineClassesShared())
        GTEST_SKIP() << "this Wine keeps the 32-bit view of HKLM\\Software\\Classes apart, as Windows 7 "
                        "and later do not";
    PosingAsWindows10 windows10;
    TestInstallation installation;
    RunSilentSetup(installation);
    // The entry as the program wrote it, in its own view.
    HKEY key;
    char path[256] = "";
    DWORD size = sizeof(path);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\RegisteredApplications", 0, KEY_READ | KEY_WOW64_32KEY,
                      &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "Krelvo", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
        RegCloseKey(key);
    }
    ASSERT_NE("", std::string(path));
    std::string name = "<none>";
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        char text[256] = "";
        size = sizeof(text);
        RegQueryValueExA(key, "ApplicationName", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
        name = text;
        RegCloseKey(key);
    }
    EXPECT_EQ(Ansi("Krelvo 壓縮工具"), name) << path;
    RunUninstall(installation);
}

}  // namespace
