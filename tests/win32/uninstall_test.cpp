// Uninstall mode from end to end under Wine: a real installation folder in the prefix, the
// program started by its path with no arguments as the system starts it, its message box
// answered from outside, and the self-removal script run by Wine's cmd.exe (NT family). On the
// Windows 98 prefix Wine's cmd cannot run the older systems' "start /wait" line, so a stand-in
// interpreter records how it was started and the script's bytes are checked instead.
#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/files_in_use.h"
#include "driver/program.h"
#include "driver/removal_script.h"
#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "registry/registry.h"
#include "shell/shell.h"
#include "reg_dump.h"
#include "test_helpers.h"
#include "test_support.h"

using namespace uninstall_tests;

namespace {

const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";
const char AppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Krelvo.exe";
const char InstallFolder[] = "C:\\Program Files\\Krelvo 100% Test";
const char OutsideFolder[] = "C:\\Program Files";

// What the uninstall names its script in a temporary folder (given with its backslash): "Kvo"
// and eight hex digits, a folder on the NT family, a file with ".Bat" on the older systems.
std::vector<std::string> ScriptEntries(const std::string& tempFolder) {
    std::vector<std::string> entries;
    for (const std::string& name : FoundNames(tempFolder + "Kvo*")) {
        if (name.compare(0, 3, "Kvo") == 0 && name.find_first_not_of("0123456789ABCDEF", 3) >= 11 &&
            name.size() == (IsNtPrefix() ? 11u : 15u) && name.compare(11, 4, IsNtPrefix() ? "" : ".Bat") == 0)
            entries.push_back(tempFolder + name);
    }
    return entries;
}

// A file's or folder's DACL in the security descriptor language.
std::string DaclText(const std::string& path) {
    static BYTE descriptor[4096];
    DWORD needed = 0;
    char* text = nullptr;
    const DWORD dacl = DACL_SECURITY_INFORMATION;
    if (!GetFileSecurityA(path.c_str(), dacl, descriptor, sizeof(descriptor), &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, dacl, &text, nullptr))
        return "<no DACL>";
    std::string result = text;
    LocalFree(text);
    return result;
}

// Every path below a folder with its attributes, sorted: the state "nothing changed" compares.
void ListTree(const std::string& folder, std::vector<std::string>& entries) {
    for (const std::string& name : FoundNames(folder + "\\*")) {
        std::string path = folder + "\\" + name;
        DWORD attributes = GetFileAttributesA(path.c_str());
        entries.push_back(path + " " + std::to_string(attributes));
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            ListTree(path, entries);
    }
    std::sort(entries.begin(), entries.end());
}

// Answers the next message box of the program; returns its text, or "<no box>". Waits until
// the box is gone, so the next call cannot find it again.
std::string AnswerBox(RunningProgram& program, int button) {
    HWND box = program.WaitForDialog(15000);
    if (!box)
        return "<no box>";
    std::string text = ItemText(box, 0xFFFF);
    PressButton(box, button);
    for (int waited = 0; waited < 5000 && IsWindow(box); waited += 20)
        Sleep(20);
    return text;
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (condition())
            return true;
        Sleep(100);
    }
    return condition();
}

// Whether another process holds a file so that it cannot be written (a running program, a
// loaded library).
bool HeldOpen(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::string ShortPath(const std::string& path) {
    char name[MAX_PATH] = "";
    GetShortPathNameA(path.c_str(), name, sizeof(name));
    return name;
}

// The deletions waiting for the restart as the system keeps them: on the NT family the entries
// of the value, "|" for each terminator; on the older systems the text of WININIT.INI.
std::string RestartDeletions() {
    if (!IsNtPrefix())
        return ReadBytes(WindowsFile("WININIT.INI"));
    std::string bytes;
    DWORD type = 0;
    if (!GetRegValue(HKEY_LOCAL_MACHINE, SessionManagerKey, PendingValue, &type, &bytes) || type != REG_MULTI_SZ)
        return "<none>";
    std::replace(bytes.begin(), bytes.end(), '\0', '|');
    return bytes;
}

// What RestartDeletions gives for deletions of these paths, in this order.
std::string ExpectedDeletions(const std::vector<std::string>& paths) {
    std::string expected = IsNtPrefix() ? "" : "[rename]\r\n";
    for (const std::string& path : paths)
        expected += IsNtPrefix() ? "\\??\\" + path + "||" : "NUL=" + path + "\r\n";
    return expected + (IsNtPrefix() ? "|" : "");
}

// What a restart does, through Wine's own: the pending operations and WININIT.INI.
void Restart() {
    RunningProgram boot;
    ASSERT_TRUE(boot.Start("wineboot.exe -r"));
    EXPECT_TRUE(boot.Wait(60000)) << "wineboot -r did not end";
}

class Uninstall : public ::testing::Test {
protected:
    std::string folder = InstallFolder;
    std::string program = folder + "\\uninstall.exe";
    std::string temp;  // the program's temporary folder when not the usual one
    std::string script;  // the script the run wrote, once FindScript has found it
    std::string probeRecord = TempFolder() + "kvo-probe.txt";
    bool useProbe = !IsNtPrefix();
    std::string savedComspec = getenv("COMSPEC") ? getenv("COMSPEC") : "";
    bool quotedPath = true;  // how Run names the program on its command line

    void SetUp() override {
        CoInitialize(nullptr);
        Clean();
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), FALSE)) << ProgramPath();
    }

    void TearDown() override {
        Clean();
        SetEnvironmentVariableA("COMSPEC", savedComspec.c_str());
        SetEnvironmentVariableA("KVO_PROBE_OUT", nullptr);
        if (!temp.empty())
            DeleteTree(temp.substr(0, temp.find('\\', strlen("C:\\users\\"))));
        CoUninitialize();
    }

    // Gives the program a temporary folder of its own (below C:\users, as a profile's is).
    void UseTempFolder(const std::string& path) {
        temp = path;
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        CreateDirectoryA(path.c_str(), nullptr);
    }

    // The temporary folder the program gets, with its backslash.
    std::string ProgramTemp() { return temp.empty() ? TempFolder() : temp + "\\"; }

    // The script of the run: the one new name in the temporary folder; on the NT family the
    // script inside that folder.
    std::string FindScript() {
        std::vector<std::string> entries = ScriptEntries(ProgramTemp());
        EXPECT_EQ(1u, entries.size()) << "not one script in " << ProgramTemp();
        if (entries.size() != 1)
            return "<no script>";
        return IsNtPrefix() ? entries[0] + "\\Uninstall_Kvo.Bat" : entries[0];
    }

    void Clean() {
        ClearRestartDeletions();
        DeleteTree(folder);
        for (const std::string& entry : ScriptEntries(TempFolder()))
            DeleteTree(entry);
        DeleteFileA(probeRecord.c_str());
        for (const char* name : {"\\sibling.txt", "\\x1", "\\x2", "\\x3"}) {
            DeleteFileA((std::string(OutsideFolder) + name).c_str());
            DeleteFileA((std::string("C:") + name).c_str());
        }
        SetupOptions none = {};
        SetShortcuts(none, nullptr);
        SetShellExtension(none);
        SetAssociations(none);
        for (const char* key : {"Krelvo", "Krelvo.ZIP", "Krelvo.REV", ".rev", "OtherZip.Archive"})
            DeleteRegTree(HKEY_CLASSES_ROOT, key);
        DeleteRegKey(HKEY_LOCAL_MACHINE, UninstallKey);
        DeleteRegKey(HKEY_LOCAL_MACHINE, AppPathKey);
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo");
        DeleteRegTree(HKEY_CURRENT_USER, "");
    }

    void File(const std::string& name, DWORD attributes = 0) {
        ASSERT_TRUE(WriteBytes(folder + "\\" + name, "data of " + name)) << name;
        if (attributes)
            SetFileAttributesA((folder + "\\" + name).c_str(), attributes);
    }
    void Folder(const std::string& name) { CreateDirectoryA((folder + "\\" + name).c_str(), nullptr); }
    bool Exists(const std::string& name) { return PathExists(folder + "\\" + name); }

    // What setup registers, through the product's own operations, over an archiver that held
    // ".zip" before: application path, shell extension, associations, program classes,
    // shortcuts, the uninstall entry, and the saved choices.
    void Register() {
        SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip.Archive");
        SetRegText(HKEY_CLASSES_ROOT, "OtherZip.Archive\\shell\\open\\command", "", "other.exe \"%1\"");
        const std::string archiver = TestFolder() + "Krelvo.exe";
        RegisterAppPath(archiver.c_str());
        SetupOptions all = {};
        all.Associate[0] = all.Associate[1] = 1;
        all.Desktop = all.StartMenu = all.Programs = all.ShellExt = 1;
        SetShellExtension(all);
        SetAssociations(all);
        RegisterProgramClasses(archiver.c_str());
        SetShortcuts(all, nullptr);
        RegisterUninstallEntry();
        SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\Links", "Desktop", "1");
        ASSERT_EQ("Krelvo.ZIP", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    }

    std::vector<std::string> Registrations() {
        std::vector<std::string> present;
        struct { HKEY root; const char* path; } keys[] = {
            {HKEY_LOCAL_MACHINE, UninstallKey}, {HKEY_LOCAL_MACHINE, AppPathKey},
            {HKEY_CLASSES_ROOT, "Krelvo"}, {HKEY_CLASSES_ROOT, "Krelvo.ZIP"},
            {HKEY_CLASSES_ROOT, "Krelvo.REV"}, {HKEY_CLASSES_ROOT, ".rev"},
            {HKEY_CURRENT_USER, "Software\\Krelvo"}, {HKEY_LOCAL_MACHINE, "Software\\Krelvo"},
            {HKEY_CLASSES_ROOT, ".kvo"},
        };
        for (const auto& key : keys) {
            if (RegKeyPresent(key.root, key.path))
                present.push_back(key.path);
        }
        // A handler key shared with other programs keeps its key and loses its value.
        const char handler[] = "*\\shellex\\ContextMenuHandlers\\Krelvo";
        if (GetRegText(HKEY_CLASSES_ROOT, handler, "")[0] != '<')
            present.push_back(handler);
        char desktop[MAX_PATH], group[MAX_PATH];
        SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
        SHGetSpecialFolderPathA(nullptr, group, CSIDL_PROGRAMS, FALSE);
        if (PathExists(std::string(desktop) + "\\Krelvo.lnk"))
            present.push_back("desktop link");
        if (PathExists(std::string(group) + "\\Krelvo"))
            present.push_back("program group");
        return present;
    }

    // Starts the installed program by its path with arguments (none: as the system's list of
    // removable programs does), answers its boxes in turn and checks its exit code. Returns
    // the texts of the boxes.
    std::string Run(std::vector<int> answers, DWORD expectedExitCode = 0, const char* arguments = "") {
        RunningProgram running;
        std::string texts;
        if (!Launch(running, (quotedPath ? "\"" + program + "\"" : program) + arguments))
            return texts;  // Start has reported it
        for (int answer : answers)
            texts += AnswerBox(running, answer) + "\n";
        DWORD exitCode = 1;
        EXPECT_TRUE(running.Wait(20000, &exitCode)) << "the program did not end";
        EXPECT_EQ(expectedExitCode, exitCode);
        return texts;
    }

    // Starts a command line in the environment that the test gives the program.
    bool Launch(RunningProgram& running, const std::string& commandLine) {
        if (useProbe) {
            SetEnvironmentVariableA("COMSPEC", (TestFolder() + "interpreter_probe.exe").c_str());
            SetEnvironmentVariableA("KVO_PROBE_OUT", probeRecord.c_str());
        }
        std::string savedTmp = getenv("TMP") ? getenv("TMP") : "";
        std::string savedTemp = getenv("TEMP") ? getenv("TEMP") : "";
        if (!temp.empty()) {
            SetEnvironmentVariableA("TMP", temp.c_str());
            SetEnvironmentVariableA("TEMP", temp.c_str());
        }
        bool started = running.Start(commandLine, "C:\\");
        SetEnvironmentVariableA("COMSPEC", savedComspec.c_str());
        SetEnvironmentVariableA("KVO_PROBE_OUT", nullptr);
        if (!temp.empty()) {
            SetEnvironmentVariableA("TMP", savedTmp.c_str());
            SetEnvironmentVariableA("TEMP", savedTemp.c_str());
        }
        return started;
    }

    // What a run that changes nothing leaves as it was: the registry of the product.
    static std::string ProductRegistry() {
        return DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo") + DumpRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo") +
               DumpRegTree(HKEY_LOCAL_MACHINE, UninstallKey);
    }

    // The script for this family, program, folder and script path, as the composer (tested
    // on its own) makes it: the file written must hold exactly that.
    std::string ExpectedScript() {
        static char text[RemovalScriptSize];
        int length = ComposeRemovalScript(text, sizeof(text), IsNtPrefix(), false, program.c_str(), folder.c_str(),
                                          script.c_str());
        EXPECT_GT(length, 0);
        return std::string(text, length > 0 ? length : 0);
    }

    // After a confirmed uninstall: on the NT family, the real interpreter runs the script (it
    // waits two seconds for the program first), which takes its own folder along; on the 98
    // prefix, the stand-in's record and the script's bytes are checked.
    void FinishSelfRemoval(bool folderEmptied) {
        if (!useProbe) {
            EXPECT_TRUE(WaitUntil([&] { return ScriptEntries(ProgramTemp()).empty() && !PathExists(program); },
                                  40000))
                << "the self-removal script did not finish";
            EXPECT_EQ(folderEmptied, !PathExists(folder));
            return;
        }
        EXPECT_TRUE(WaitUntil([&] { return PathExists(probeRecord); }, 15000)) << "no interpreter started";
        script = FindScript();
        EXPECT_EQ(ExpectedScript(), ReadBytes(script));
    }
};

TEST_F(Uninstall, RemovesEverythingListedThenItself) {
    Folder("docs");
    Folder("docs\\deep");
    Folder("empty");
    File("Krelvo.exe");
    File("Kvo.txt");
    File("Krelvo.hlp");
    File("krelvo.gid");
    File("krelvo.fts");
    File("readonly.txt", FILE_ATTRIBUTE_READONLY);
    File("hidden.dat", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    File("blanks.txt");
    File("docs\\a.txt");
    File("docs\\deep\\b.txt", FILE_ATTRIBUTE_READONLY);
    File("\xA4\xA4\xA4\xE5.txt");  // a Big5 name
    // The language library the program has loaded: released before the files go.
    ASSERT_TRUE(CopyFileA((TestFolder() + "fixtures\\kvolng_plain.dll").c_str(),
                          (folder + "\\kvolng.dll").c_str(), FALSE));
    // A profile folder whose name the interpreter would split unless the script's path is
    // quoted so that it keeps its quotes.
    UseTempFolder("C:\\users\\Jo (Admin) & Co\\Temp");
    // A file, and a hard link to it where the script once went: an uninstall running as SYSTEM,
    // in C:\Windows\Temp, would write through it into any file of the system.
    const std::string victim = temp + "\\victim.txt", planted = temp + "\\Uninstall_Kvo.Bat";
    ASSERT_TRUE(WriteBytes(victim, "not ours"));
    ASSERT_TRUE(CreateHardLinkA(planted.c_str(), victim.c_str(), nullptr));
    std::vector<std::string> tempBefore, tempAfter;
    ListTree(temp, tempBefore);
    // Folders before their contents, a missing entry, trailing blanks, CR LF and LF endings.
    File("Uninstall.lst");
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                           "docs\r\ndocs\\deep\r\nKrelvo.exe\r\nmissing.txt\r\nblanks.txt  \t\r\n"
                           "readonly.txt\nhidden.dat\r\nKvo.txt\r\nKrelvo.hlp\r\n\r\ndocs\\a.txt\r\n"
                           "docs\\deep\\b.txt\r\nempty\r\n\xA4\xA4\xA4\xE5.txt\r\nuninstall.exe\r\nkvolng.dll\r\n"));
    ASSERT_TRUE(WriteBytes(std::string(OutsideFolder) + "\\sibling.txt", "not ours"));
    Register();
    std::vector<std::string> registered = Registrations();
    std::string names;
    for (const std::string& name : registered)
        names += name + "; ";
    ASSERT_EQ(12u, registered.size()) << names;

    Run({IDYES});
    EXPECT_EQ(std::vector<std::string>(), Registrations());
    // The archiver that held ".zip" before has it back.
    EXPECT_EQ("OtherZip.Archive", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    std::vector<std::string> left;
    ListTree(folder, left);
    // The program file stays until the script deletes it (on Wine it may already be gone).
    left.erase(std::remove_if(left.begin(), left.end(),
                              [&](const std::string& entry) { return entry.find(program + " ") == 0; }),
               left.end());
    EXPECT_EQ(std::vector<std::string>(), left);
    EXPECT_TRUE(PathExists(std::string(OutsideFolder) + "\\sibling.txt"));
    FinishSelfRemoval(true);
    EXPECT_EQ("not ours", ReadBytes(victim));
    EXPECT_EQ("not ours", ReadBytes(planted));
    // Nothing else in the temporary folder changed; the stand-in leaves the script there.
    if (useProbe)
        DeleteFileA(script.c_str());
    ListTree(temp, tempAfter);
    EXPECT_EQ(tempBefore, tempAfter);
}

// A German system: ANSI code page 1252 for the paths, OEM code page 850 in which the
// interpreter reads the script. Wine takes both from the Unix locale, so ctest runs this suite
// on its own under de_DE.UTF-8 (tests/CMakeLists.txt).
class UninstallGerman : public Uninstall {
protected:
    UninstallGerman() {
        folder = "C:\\Program Files\\Krelvo \xDC" "bersicht";  // "Übersicht"
        program = folder + "\\uninstall.exe";
    }
};

TEST_F(UninstallGerman, RemovesItselfWhereAnsiAndOemCodePagesDiffer) {
    ASSERT_EQ(1252u, GetACP());
    ASSERT_EQ(850u, GetOEMCP());
    UseTempFolder("C:\\users\\J\xFCrgen\\Temp");  // "Jürgen"
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "\r\n"));
    Run({IDYES});
    if (!useProbe) {
        FinishSelfRemoval(true);
        return;
    }
    // The stand-in interpreter: the script holds the paths in code page 850, where "\x9A" is
    // "Ü" and "\x81" is "ü".
    ASSERT_TRUE(WaitUntil([&] { return PathExists(probeRecord); }, 15000)) << "no interpreter started";
    script = FindScript();
    std::string bytes = ReadBytes(script);
    EXPECT_NE(std::string::npos, bytes.find("rd \"C:\\Program Files\\Krelvo \x9A" "bersicht\"\r\n")) << bytes;
    const std::string name = script.substr(temp.size() + 1);
    EXPECT_NE(std::string::npos, bytes.find("del \"C:\\users\\J\x81rgen\\Temp\\" + name + "\"")) << bytes;
}

TEST_F(Uninstall, HostileListDeletesNothingOutsideTheFolder) {
    File("Krelvo.exe");
    File("keep.txt");
    File("x4");
    for (const char* outside : {"C:\\x1", "C:\\x2", "C:\\x3", "C:\\Program Files\\sibling.txt"})
        ASSERT_TRUE(WriteBytes(outside, "not ours"));
    // The tail of a 3,000-byte line names a real file of the folder.
    std::string longLine = std::string(3000 - 8, 'a') + "keep.txt";
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst",
                           "..\\..\\x1\r\nC:\\x2\r\n\\x3\r\n/x3\r\nC:x4\r\n..\\sibling.txt\r\n"
                           ".\\..\\sibling.txt\r\n" + longLine + "\r\nKrelvo.exe\r\n"));
    Run({IDYES});
    for (const char* outside : {"C:\\x1", "C:\\x2", "C:\\x3", "C:\\Program Files\\sibling.txt"})
        EXPECT_TRUE(PathExists(outside)) << outside;
    EXPECT_TRUE(Exists("keep.txt"));
    EXPECT_TRUE(Exists("x4"));
    EXPECT_FALSE(Exists("Krelvo.exe"));
    EXPECT_FALSE(Exists("Uninstall.lst"));
    // The folder keeps the unlisted files, so the script leaves it.
    FinishSelfRemoval(false);
}

TEST_F(Uninstall, AnsweredNoChangesNothing) {
    File("Krelvo.exe", FILE_ATTRIBUTE_READONLY);
    File("krelvo.gid");
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "Krelvo.exe\r\nkrelvo.gid\r\n"));
    Register();
    std::vector<std::string> before, after;
    ListTree(folder, before);
    std::vector<std::string> registered = Registrations();

    std::string texts = Run({IDNO}, 1602);
    EXPECT_NE(std::string::npos, texts.find("\xC4~\xC4\xF2\xB8\xD1\xB0\xA3\xA6w\xB8\xCB Krelvo")) << texts;
    ListTree(folder, after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(registered, Registrations());
    EXPECT_EQ(std::vector<std::string>(), ScriptEntries(ProgramTemp()));
}

TEST_F(Uninstall, MissingListChangesNothing) {
    File("Krelvo.exe");
    Register();
    std::vector<std::string> before, after;
    ListTree(folder, before);
    std::vector<std::string> registered = Registrations();

    std::string texts = Run({IDYES, IDOK}, 1603);
    // Message 5108 with the list's name.
    EXPECT_NE(std::string::npos, texts.find("\xB5L\xAAk\xB6}\xB1\xD2\xB2M\xB3\xE6\xC0\xC9\xAE\xD7 Uninstall.lst"))
        << texts;
    ListTree(folder, after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(registered, Registrations());
    EXPECT_EQ(std::vector<std::string>(), ScriptEntries(ProgramTemp()));

    // An uninstall cut off after it had deleted the list, run again from its entry, whose
    // mark says that it had begun: it finishes what is left. A copy that the entry does not
    // start (left behind by a reinstall elsewhere) leaves that installation alone.
    DWORD begun = 1;
    SetRegBytes(HKEY_LOCAL_MACHINE, UninstallKey, "Removing", REG_DWORD, &begun, sizeof(begun));
    SetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", "\"C:\\B\\uninstall.exe\"");
    EXPECT_NE(std::string::npos, Run({IDYES, IDOK}, 1603).find("Uninstall.lst"));
    EXPECT_EQ(registered, Registrations());
    SetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", "\"" + program + "\"");
    Run({IDYES});
    EXPECT_EQ(std::vector<std::string>(), Registrations());
    EXPECT_EQ("OtherZip.Archive", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    EXPECT_TRUE(Exists("Krelvo.exe")) << "not listed: stays";
    FinishSelfRemoval(false);
}

TEST_F(Uninstall, InterpreterStartedFromTheParentFolder) {
    // The stand-in on both families: how the interpreter is started, and the script's bytes.
    useProbe = true;
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "\r\n"));
    Run({IDYES});
    ASSERT_TRUE(WaitUntil([&] { return PathExists(probeRecord); }, 15000)) << "no interpreter started";
    script = FindScript();
    EXPECT_EQ(ExpectedScript(), ReadBytes(script));
    // NT family: the script's own new folder, which only the Administrators, SYSTEM and the
    // account of the uninstall may enter. Wine keeps no descriptor given at creation: it turns
    // the DACL into Unix permissions (the owner's alone: the groups have no Unix counterpart)
    // and reports a DACL made from them, SYSTEM and the owner (Wine's one account), unprotected.
    // What it can show is that no one else is let in: a folder made without the descriptor
    // also lets in Everyone (WD).
    if (IsNtPrefix()) {
        EXPECT_EQ("D:(A;OICI;FA;;;SY)(A;OICI;FA;;;S-1-5-21-0-0-0-1000)",
                  DaclText(script.substr(0, script.rfind('\\'))));
    }
    std::string record = ReadBytes(probeRecord);
    std::string probe = TestFolder() + "interpreter_probe.exe";
    // The NT family's interpreter drops one pair of quotes around the script path, so it gets
    // two, and removes the script's folder after the script.
    std::string line = IsNtPrefix() ? "\"\"" + script + "\" & rd \"" + script.substr(0, script.rfind('\\')) + "\"\""
                                    : "\"" + script + "\"";
    EXPECT_EQ(probe + " /c " + line + "\n", record.substr(0, record.find('\n') + 1));
    // NT family: hidden (STARTF_USESHOWWINDOW, SW_HIDE). Older: standard handles on NUL, a
    // character device (STARTF_USESTDHANDLES, FILE_TYPE_CHAR).
    std::string started = IsNtPrefix() ? "\n1\n0\n" : "\n256\n0\n2\n";
    EXPECT_NE(std::string::npos, record.find(started)) << record;
    EXPECT_NE(std::string::npos, record.find("\n" + std::string(OutsideFolder) + "\n")) << record;
    EXPECT_FALSE(Exists("Uninstall.lst"));
}

TEST_F(Uninstall, FileInUseIsDeletedAtTheRestart) {
    Folder("ext");
    std::string library = folder + "\\ext\\kvoext.dll";
    ASSERT_TRUE(CopyFileA((TestFolder() + "fixtures\\only_done_dialog.dll").c_str(), library.c_str(), FALSE));
    File("Kvo.txt");
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "ext\r\next\\kvoext.dll\r\nKvo.txt\r\nuninstall.exe\r\n"));
    std::string shortLibrary = ShortPath(library);
    // Explorer keeps the shell extension loaded.
    RunningProgram explorer;
    ASSERT_TRUE(explorer.Start("\"" + TestFolder() + "holder.exe\" \"" + library + "\""));
    ASSERT_TRUE(WaitUntil([&] { return HeldOpen(library); }, 10000));

    std::string texts = Run({IDYES, IDOK}, 3010);
    EXPECT_NE(std::string::npos, texts.find(Ansi("部分檔案仍在使用中，將於 Windows 重新啟動時刪除。"))) << texts;
    EXPECT_FALSE(Exists("Kvo.txt"));
    // The NT family: moved aside, so that a new installation before the restart keeps its own
    // file; then the folders, innermost first. 95/98/Me: the file alone, by its short path.
    std::string aside = library + ".~0";
    if (IsNtPrefix()) {
        EXPECT_TRUE(PathExists(aside));
        EXPECT_EQ(ExpectedDeletions({aside, folder + "\\ext", folder}), RestartDeletions());
    } else {
        EXPECT_EQ(ExpectedDeletions({shortLibrary}), RestartDeletions());
    }
    FinishSelfRemoval(false);
    TerminateProcess(explorer.info.hProcess, 0);
    ASSERT_TRUE(explorer.Wait(10000));
    Restart();
    EXPECT_FALSE(PathExists(library));
    EXPECT_FALSE(PathExists(aside));
    EXPECT_EQ(!IsNtPrefix(), PathExists(folder + "\\ext")) << "95/98/Me keep the folders";
    EXPECT_EQ(!IsNtPrefix(), PathExists(folder));
}

TEST_F(Uninstall, RunningArchiverIsAskedToBeClosed) {
    std::string archiver = folder + "\\Krelvo.exe";
    ASSERT_TRUE(CopyFileA((TestFolder() + "holder.exe").c_str(), archiver.c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "Krelvo.exe\r\nuninstall.exe\r\n"));
    Register();
    std::vector<std::string> before, after;
    ListTree(folder, before);
    std::string registry = ProductRegistry();
    std::vector<std::string> registered = Registrations();
    RunningProgram running;
    ASSERT_TRUE(running.Start("\"" + archiver + "\""));
    ASSERT_TRUE(WaitUntil([&] { return HeldOpen(archiver); }, 10000));

    // Retry asks again while the archiver runs; Cancel leaves everything as it was.
    std::string question = archiver + Ansi(" 正在使用中。請先關閉它，再按「重試」。") + "\n";
    EXPECT_EQ(Ansi("繼續解除安裝 Krelvo") + "\n" + question + question, Run({IDYES, IDRETRY, IDCANCEL}, 1602));
    // Silent: nothing asked, nothing changed, "not done".
    EXPECT_EQ("", Run({}, 1603, " /s"));
    ListTree(folder, after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(registered, Registrations());
    EXPECT_EQ(registry, ProductRegistry());
    EXPECT_EQ(std::vector<std::string>(), ScriptEntries(ProgramTemp()));
    TerminateProcess(running.info.hProcess, 0);
}

// Setup and the uninstall run one at a time: beside an uninstall waiting at its question, a
// second uninstall or a setup changes nothing and ends with 1618, the interactive one saying
// so; answered Yes, the first then finishes.
TEST_F(Uninstall, OneRunAtATime) {
    File("Krelvo.exe");
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "Krelvo.exe\r\nuninstall.exe\r\n"));
    Register();
    std::vector<std::string> before, after;
    ListTree(folder, before);
    const std::string registry = ProductRegistry();
    RunningProgram first;
    ASSERT_TRUE(Launch(first, "\"" + program + "\""));
    HWND question = first.WaitForDialog(15000);
    ASSERT_NE(nullptr, question);
    EXPECT_EQ("", Run({}, 1618, " /s"));
    EXPECT_EQ("", Run({}, 1618, " /s /setup"));
    EXPECT_EQ(Ansi("另一個 Krelvo 安裝或解除安裝程式正在執行。請等它結束後再試一次。") + "\n", Run({IDOK}, 1618));
    ListTree(folder, after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(registry, ProductRegistry());
    PressButton(question, IDYES);
    DWORD exitCode = 1;
    EXPECT_TRUE(first.Wait(20000, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_EQ(std::vector<std::string>(), Registrations());
    FinishSelfRemoval(true);
}

// Started by an unquoted path with Big5 characters and a "-" (as "cmd /c" passes it), the
// whole path is the program's name: no switch, so the uninstall asks.
class UninstallUnquoted : public Uninstall {
protected:
    UninstallUnquoted() {
        folder = "C:\\Kvo-\xA4\xA4\xA4\xE5";  // "中文"
        program = folder + "\\uninstall.exe";
        quotedPath = false;
    }
};

TEST_F(UninstallUnquoted, PathReachesTheQuestion) {
    EXPECT_EQ(Ansi("繼續解除安裝 Krelvo") + "\n", Run({IDNO}, 1602));
}

// A listed file in use that cannot be left to the restart either is named, to be deleted by
// hand, and the uninstall ends with 1603; the rest is done.
TEST_F(Uninstall, FileThatCannotBeLeftToTheRestartIsNamed) {
    std::string library = folder + "\\kvoext.dll";
    ASSERT_TRUE(CopyFileA((TestFolder() + "fixtures\\only_done_dialog.dll").c_str(), library.c_str(), FALSE));
    ASSERT_TRUE(WriteBytes(folder + "\\Uninstall.lst", "kvoext.dll\r\nuninstall.exe\r\n"));
    RunningProgram explorer;
    ASSERT_TRUE(explorer.Start("\"" + TestFolder() + "holder.exe\" \"" + library + "\""));
    ASSERT_TRUE(WaitUntil([&] { return HeldOpen(library); }, 10000));
    BlockRestartDeletions();

    EXPECT_EQ(Ansi("繼續解除安裝 Krelvo\n您必須手動刪除 ") + library + "\n", Run({IDYES, IDOK}, 1603));
    EXPECT_TRUE(PathExists(library)) << "under its own name";
    EXPECT_FALSE(Exists("Uninstall.lst"));
    FinishSelfRemoval(false);
    TerminateProcess(explorer.info.hProcess, 0);
    ASSERT_TRUE(explorer.Wait(10000));
}

// The uninstall started by its short (8.3) path takes its own file for itself, not for a
// running program of the list, which would keep it from ever going on.
TEST(FilesInUse, TheProgramByItsShortPathIsNotAProgramInUse) {
    const std::string self = TestFolder() + "win_tests.exe", listPath = TempFolder() + "kvo-short.lst";
    ASSERT_TRUE(WriteBytes(listPath, "win_tests.exe\r\n"));
    const std::string shortSelf = ShortPath(self);
    ASSERT_NE(self, shortSelf);
    FILE* list = fopen(listPath.c_str(), "rb");
    ASSERT_NE(nullptr, list);
    SilentSetup = true;  // nobody to ask: a program in use is ExitNotDone at once
    EXPECT_EQ(ExitDone, ProgramsClosed(list, TestFolder().c_str(), shortSelf.c_str()));
    EXPECT_EQ(ExitNotDone, ProgramsClosed(list, TestFolder().c_str(), (TestFolder() + "other.exe").c_str()));
    SilentSetup = false;
    fclose(list);
    DeleteFileA(listPath.c_str());
}

// The script runs the program with /warning when its tries to delete the program file failed.
TEST_F(Uninstall, WarningRunLeavesTheProgramToTheRestart) {
    std::string shortProgram = ShortPath(program);
    // Run by hand while the entry still starts this program (by its short path here): the
    // product is installed, and nothing is left to the restart.
    const std::string nothing = RestartDeletions();
    SetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", "\"" + shortProgram + "\"");
    RunningProgram installed;
    ASSERT_TRUE(installed.Start("\"" + program + "\" /s /warning"));
    EXPECT_TRUE(installed.Wait(20000));
    EXPECT_EQ(nothing, RestartDeletions());
    DeleteRegKey(HKEY_LOCAL_MACHINE, UninstallKey);
    RunningProgram running;
    ASSERT_TRUE(running.Start("\"" + program + "\" /warning"));
    EXPECT_EQ(Ansi("解除安裝完成\n部分檔案仍在使用中，將於 Windows 重新啟動時刪除。"), AnswerBox(running, IDOK));
    ASSERT_TRUE(running.Wait(20000));
    std::string expected = IsNtPrefix() ? ExpectedDeletions({program + ".~0", folder}) : ExpectedDeletions({shortProgram});
    EXPECT_EQ(expected, RestartDeletions());
    // The script of a silent uninstall runs it with /s: the same, without a message.
    ClearRestartDeletions();
    if (IsNtPrefix()) {
        ASSERT_TRUE(MoveFileA((program + ".~0").c_str(), program.c_str()));
    }
    RunningProgram silent;
    ASSERT_TRUE(silent.Start("\"" + program + "\" /s /warning"));
    EXPECT_EQ(nullptr, silent.WaitForDialog(20000)) << "a message in a silent run";
    EXPECT_TRUE(silent.Wait(20000));
    EXPECT_EQ(expected, RestartDeletions());
    Restart();
    EXPECT_FALSE(PathExists(IsNtPrefix() ? folder : program));
}

TEST(UninstallEntry, NamesTheProgramQuoted) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
    RegisterUninstallEntry();
    char path[1024];
    GetModuleFileNameA(nullptr, path, sizeof(path));
    // Message 5101, "Krelvo 壓縮工具" in Big5.
    EXPECT_EQ("Krelvo \xC0\xA3\xC1Y\xA4u\xA8\xE3", GetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"));
    EXPECT_EQ("\"" + std::string(path) + "\"", GetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    // Written again over an older entry, whose uninstall had been cut off: the mark goes.
    SetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", "C:\\old\\uninstall.exe");
    DWORD begun = 1;
    SetRegBytes(HKEY_LOCAL_MACHINE, UninstallKey, "Removing", REG_DWORD, &begun, sizeof(begun));
    // Values of an earlier setup that cannot be formed now (no archiver with a version resource
    // and no Uninstall.lst beside this program) go rather than tell of the earlier installation.
    for (const char* stale : {"DisplayVersion", "VersionMajor", "VersionMinor", "Publisher", "EstimatedSize"})
        SetRegText(HKEY_LOCAL_MACHINE, UninstallKey, stale, "earlier");
    RegisterUninstallEntry();
    EXPECT_EQ("\"" + std::string(path) + "\"", GetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    EXPECT_EQ("<none>", GetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "Removing"));
    for (const char* stale : {"DisplayVersion", "VersionMajor", "VersionMinor", "Publisher", "EstimatedSize"})
        EXPECT_EQ("<none>", GetRegText(HKEY_LOCAL_MACHINE, UninstallKey, stale)) << stale;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
}

TEST(UninstallEntry, DisplayNameFollowsTheLanguageFile) {
    std::string languageFile = TempFolder() + "kvo-entry.lng";
    char key[9];
    MakeLookupKey(key, 's', nullptr, "Krelvo \xC0\xA3\xC1Y\xA4u\xA8\xE3");
    ASSERT_TRUE(WriteBytes(languageFile, std::string("; entry\r\n***messages***\r\n") + key + "=\"Krelvo archiver\"\r\n"));
    g_language.LoadFile(languageFile.c_str());
    RegisterUninstallEntry();
    g_language.Unload();
    DeleteFileA(languageFile.c_str());
    EXPECT_EQ("Krelvo archiver", GetRegText(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey);
}

}  // namespace
