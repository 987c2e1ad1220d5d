// Setup and uninstall cut off after any registry write or delete, as a crash or a power cut
// would, and then run again. The program under test is uninstall_interruptible.exe: the
// program with an interruption point that ends it with exit code 99 right after its Nth write
// or delete (KVO_INTERRUPT_AFTER). Between points the registry trees that the program touches
// are put back from snapshots taken once, so one prefix serves every point.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <set>
#include <sstream>

#include "reg_dump.h"
#include "test_helpers.h"
#include "test_support.h"

namespace {

using uninstall_tests::IsNtPrefix;
using uninstall_tests::PathExists;
using uninstall_tests::ReadBytes;
using uninstall_tests::WriteBytes;

// Every tree the program writes to (the test checks that an uninterrupted setup writes nowhere
// else). The shell extension's handler keys live under these shared class keys.
struct Tree {
    HKEY root;
    const char* rootName;
    std::string path;
};

std::vector<Tree> TouchedTrees() {
    std::vector<Tree> trees;
    for (const char* ext : {".kvo", ".zip", ".cab", ".arj", ".lzh", ".lha", ".ace", ".tar", ".gz", ".tgz", ".uue",
                            ".xxe", ".uu", ".bz2", ".tbz2", ".bz", ".tbz", ".jar", ".iso", ".rev", "Krelvo",
                            "Krelvo.ZIP", "Krelvo.REV", "CLSID\\{5A3C9E10-4B7D-11D2-8F21-C3D9A0B6E417}",
                            "*\\shellex", "Folder\\shellex", "Drive\\shellex", "Directory\\shellex", "exefile\\shellex"})
        trees.push_back({HKEY_CLASSES_ROOT, "HKCR", ext});
    for (int i = 0; i < 100; i++) {
        char volume[8];
        snprintf(volume, sizeof(volume), ".r%02d", i);
        trees.push_back({HKEY_CLASSES_ROOT, "HKCR", volume});
    }
    trees.push_back({HKEY_CURRENT_USER, "HKCU", "Software\\Krelvo"});
    const std::string system = "Software\\Microsoft\\Windows\\CurrentVersion\\";
    for (const char* key : {"App Paths\\Krelvo.exe", "Uninstall\\Krelvo archiver", "Shell Extensions\\Approved"})
        trees.push_back({HKEY_LOCAL_MACHINE, "HKLM", system + key});
    // Default Programs, from Vista on.
    for (const char* key : {"Software\\Krelvo", "Software\\RegisteredApplications"})
        trees.push_back({HKEY_LOCAL_MACHINE, "HKLM", key});
    return trees;
}

// The trees' dumps, one a tree, in the order of TouchedTrees.
typedef std::vector<std::string> Snapshot;

Snapshot TakeSnapshot() {
    Snapshot snapshot;
    for (const Tree& tree : TouchedTrees())
        snapshot.push_back(DumpRegTree(tree.root, tree.path));
    return snapshot;
}

void PutBack(const Snapshot& snapshot) {
    std::vector<Tree> trees = TouchedTrees();
    for (size_t i = 0; i < trees.size(); i++)
        RestoreRegTree(trees[i].root, trees[i].path, snapshot[i]);
}

// A snapshot as a set of lines, each marked with its root.
std::set<std::string> Lines(const Snapshot& snapshot) {
    std::vector<Tree> trees = TouchedTrees();
    std::set<std::string> lines;
    for (size_t i = 0; i < trees.size(); i++) {
        std::istringstream dump(snapshot[i]);
        for (std::string line; std::getline(dump, line);)
            lines.insert(std::string(trees[i].rootName) + " " + line);
    }
    return lines;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

int LineCount(const std::string& text) {
    int count = 0;
    for (char c : text)
        count += c == '\n';
    return count;
}

// The lines of a that b lacks.
std::string Missing(const std::set<std::string>& a, const std::set<std::string>& b) {
    std::string missing;
    for (const std::string& line : a)
        if (!b.count(line))
            missing += line + "\n";
    return missing;
}

// The previous handlers of a user's system: classes, content types, and new-file entries of
// each kind (a file name, a null file, a "Data" value: for .zip the system's own empty archive,
// the same bytes as our template); .iso belongs to another program. Another program is offered
// for .zip too, and listed in Default Programs.
void SeedPreviousHandlers() {
    // Each seeded key whole, whatever earlier runs in this prefix left in it.
    for (const char* ext : {".zip", ".cab", ".arj", ".gz", ".iso"})
        WipeRegTree(HKEY_CLASSES_ROOT, ext);
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip.Archive");
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/x-zip-compressed");
    const BYTE emptyZip[22] = {0x50, 0x4B, 0x05, 0x06};
    SetRegBytes(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, emptyZip, sizeof(emptyZip));
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", "OtherZip.Archive", "");
    SetRegText(HKEY_LOCAL_MACHINE, "Software\\RegisteredApplications", "OtherZip", "Software\\OtherZip\\Capabilities");
    SetRegText(HKEY_CLASSES_ROOT, ".cab", "", "CabFolder");
    SetRegText(HKEY_CLASSES_ROOT, ".cab", "Content Type", "application/vnd.ms-cab-compressed");
    SetRegText(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "NullFile", "");
    SetRegText(HKEY_CLASSES_ROOT, ".arj", "", "OtherArj");
    SetRegText(HKEY_CLASSES_ROOT, ".arj\\ShellNew", "FileName", "arjnew.arj");
    SetRegText(HKEY_CLASSES_ROOT, ".gz", "", "OtherGz");
    SetRegText(HKEY_CLASSES_ROOT, ".gz", "Content Type", "application/x-gzip");
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", "Windows.IsoFile");
}

const char* const kListedFiles[] = {"uninstall.exe", "Krelvo.exe", "kvoext.dll", "Kvo.txt", "license.txt",
                                    "order.txt", "krelvo.hlp", "kvonew.dat", "zipnew.dat"};

// The installation folder, laid out as the installer leaves it (with the new-file templates
// that setup wrote, when given), with the interruptible program as its uninstall.exe.
struct Installation {
    std::string folder;
    explicit Installation(const std::string& name) {
        char programFiles[MAX_PATH] = "C:\\Program Files";
        SHGetSpecialFolderPathA(nullptr, programFiles, CSIDL_PROGRAM_FILES, TRUE);
        folder = std::string(programFiles) + "\\" + name;
    }
    std::string Path(const char* name) const { return folder + "\\" + name; }
    void Stage(const std::string& kvoTemplate = "", const std::string& zipTemplate = "") const {
        CreateDirectoryA(folder.c_str(), nullptr);
        CopyFileA((TestFolder() + "uninstall_interruptible.exe").c_str(), Path("uninstall.exe").c_str(), FALSE);
        CopyFileA((TestFolder() + "standin.exe").c_str(), Path("Krelvo.exe").c_str(), FALSE);
        CopyFileA((TestFolder() + "fixtures\\only_done_dialog.dll").c_str(), Path("kvoext.dll").c_str(), FALSE);
        for (const char* document : {"Kvo.txt", "license.txt", "order.txt", "krelvo.hlp"})
            WriteBytes(Path(document), std::string("Krelvo ") + document + "\r\n");
        if (!kvoTemplate.empty())
            WriteBytes(Path("kvonew.dat"), kvoTemplate);
        if (!zipTemplate.empty())
            WriteBytes(Path("zipnew.dat"), zipTemplate);
        std::string list;
        for (const char* name : kListedFiles)
            list += std::string(name) + "\r\n";
        WriteBytes(Path("Uninstall.lst"), list);
    }
    // The files the uninstall deleted, or failed to: those listed that are still there.
    std::string Remaining() const {
        std::string remaining;
        for (const char* name : kListedFiles)
            if (strcmp(name, "uninstall.exe") != 0 && PathExists(Path(name)))
                remaining += std::string(name) + " ";
        return remaining + (PathExists(Path("Uninstall.lst")) ? "Uninstall.lst" : "");
    }
    void Clear() const {
        for (const char* name : kListedFiles)
            DeleteFileA(Path(name).c_str());
        DeleteFileA(Path("Uninstall.lst").c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

std::string ProgramGroup() {
    char programs[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    return std::string(programs) + "\\Krelvo";
}

// Runs the program cut after its Nth registry change (0: never); the uninstall is answered
// Yes, and its removal script goes to the stand-in interpreter unless realScript. Returns the
// exit code, or -1 when the program did not end in time.
int RunProgram(const Installation& installation, bool setup, int interruptAfter, bool realScript = false) {
    SetEnvironmentVariableA("KVO_INTERRUPT_AFTER", std::to_string(interruptAfter).c_str());
    std::string savedComspec = getenv("COMSPEC") ? getenv("COMSPEC") : "";
    if (!setup && !realScript)
        SetEnvironmentVariableA("COMSPEC", (TestFolder() + "interpreter_probe.exe").c_str());
    RunningProgram program;
    std::string command = "\"" + installation.Path("uninstall.exe") + "\"" + (setup ? " /s /setup" : "");
    bool started = program.Start(command, installation.folder.c_str());
    SetEnvironmentVariableA("COMSPEC", savedComspec.c_str());
    SetEnvironmentVariableA("KVO_INTERRUPT_AFTER", nullptr);
    if (!started)
        return -1;
    if (!setup) {
        HWND box = program.WaitForDialog(20000);
        if (!box)
            return -1;
        PressButton(box, IDYES);
    }
    DWORD exitCode = 0;
    return program.Wait(60000, &exitCode) ? static_cast<int>(exitCode) : -1;
}

// The registry changes of one uninterrupted run, counted from the program's change log.
int CountedRun(const Installation& installation, bool setup, std::string* log) {
    std::string logPath = installation.folder + ".log";
    DeleteFileA(logPath.c_str());
    SetEnvironmentVariableA("KVO_REGISTRY_LOG", logPath.c_str());
    int exitCode = RunProgram(installation, setup, 0);
    SetEnvironmentVariableA("KVO_REGISTRY_LOG", nullptr);
    EXPECT_EQ(0, exitCode);
    *log = ReadBytes(logPath);
    DeleteFileA(logPath.c_str());
    return LineCount(*log);
}

// The interruption points over 1..count: every one with KVO_INTERRUPT_POINTS=all or when there
// are few, else 40 (or KVO_INTERRUPT_POINTS) spread evenly, the first and the last among them.
std::vector<int> Points(int count) {
    const char* wanted = getenv("KVO_INTERRUPT_POINTS");
    bool all = wanted && strcmp(wanted, "all") == 0;
    int spread = wanted && atoi(wanted) >= 2 ? atoi(wanted) : 40;
    std::vector<int> points;
    if (all || count <= spread) {
        for (int n = 1; n <= count; n++)
            points.push_back(n);
        return points;
    }
    for (int k = 0; k < spread; k++)
        points.push_back(1 + static_cast<int>((static_cast<long long>(k) * (count - 1) + (spread - 1) / 2) / (spread - 1)));
    return points;
}

// The change a point cuts after, as the log names it ("37 V HKCR\.zip|Content Type").
std::string Change(const std::string& log, int n) {
    std::istringstream lines(log);
    std::string line;
    for (int i = 0; i < n && std::getline(lines, line); i++) {
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

TEST(Interruption, SetupAndUninstallCutAtAnyChangeLoseNothing) {
    // The seeded system, and one uninterrupted setup and uninstall as the reference.
    SeedPreviousHandlers();
    const Snapshot seeded = TakeSnapshot();
    Installation installation("Krelvo Interrupted");
    installation.Stage();
    std::string setupLog, uninstallLog;
    int setupChanges = CountedRun(installation, true, &setupLog);
    const Snapshot installed = TakeSnapshot();
    std::string kvoTemplate = ReadBytes(installation.Path("kvonew.dat"));
    std::string zipTemplate = ReadBytes(installation.Path("zipnew.dat"));
    int uninstallChanges = CountedRun(installation, false, &uninstallLog);
    const Snapshot reference = TakeSnapshot();
    installation.Clear();
    ASSERT_GT(setupChanges, 100) << setupLog;
    ASSERT_GT(uninstallChanges, 100) << uninstallLog;
    // Every change setup made lies in the trees that the snapshots put back.
    std::istringstream changes(setupLog);
    for (std::string change; std::getline(changes, change);) {
        bool inside = false;
        for (const Tree& tree : TouchedTrees())
            inside = inside || Lower(change).find(Lower(" " + std::string(tree.rootName) + "\\" +
                                                        (tree.root == HKEY_CURRENT_USER ? "" : tree.path))) !=
                                   std::string::npos;
        EXPECT_TRUE(inside) << "a change outside the restored trees: " << change;
    }
    const std::set<std::string> seededLines = Lines(seeded), referenceLines = Lines(reference);
    // What an uninterrupted round trip keeps of the previous handlers: all of it.
    std::set<std::string> previousHandlers;
    for (const std::string& line : seededLines)
        if (referenceLines.count(line))
            previousHandlers.insert(line);
    EXPECT_EQ("", Missing(seededLines, referenceLines)) << "the uninterrupted round trip lost these";

    int handlersLost = 0;
    std::vector<int> setupPoints = Points(setupChanges), uninstallPoints = Points(uninstallChanges);
    for (int n : setupPoints) {
        SCOPED_TRACE("setup cut after change " + Change(setupLog, n));
        // Cut, then setup again to its end, then the uninstall: the same end as without the cut.
        PutBack(seeded);
        installation.Stage();
        EXPECT_EQ(99, RunProgram(installation, true, n));
        EXPECT_EQ(0, RunProgram(installation, true, 0));
        EXPECT_EQ(0, RunProgram(installation, false, 0));
        Snapshot end = TakeSnapshot();
        EXPECT_TRUE(reference == end) << "missing:\n" << Missing(referenceLines, Lines(end)) << "extra:\n"
                                      << Missing(Lines(end), referenceLines);
        handlersLost += LineCount(Missing(previousHandlers, Lines(end)));
        installation.Clear();

        // Cut, then the user gives up and uninstalls: every previous handler back, and nothing
        // left that an uninterrupted round trip would not leave too.
        PutBack(seeded);
        installation.Stage();
        EXPECT_EQ(99, RunProgram(installation, true, n));
        EXPECT_EQ(0, RunProgram(installation, false, 0));
        std::set<std::string> endLines = Lines(TakeSnapshot());
        std::string lost = Missing(previousHandlers, endLines);
        EXPECT_EQ("", lost) << "previous handlers lost";
        handlersLost += LineCount(lost);
        EXPECT_EQ("", Missing(endLines, referenceLines)) << "left of the product";
        EXPECT_EQ("", installation.Remaining());
        EXPECT_FALSE(PathExists(ProgramGroup()));
        installation.Clear();
    }
    for (int n : uninstallPoints) {
        SCOPED_TRACE("uninstall cut after change " + Change(uninstallLog, n));
        // Cut after the confirmation, then the uninstall again: as one uninterrupted uninstall.
        // The self-removal runs for real at the first and the last point (NT family).
        bool realScript = IsNtPrefix() && (n == uninstallPoints.front() || n == uninstallPoints.back());
        PutBack(installed);
        installation.Stage(kvoTemplate, zipTemplate);
        EXPECT_EQ(99, RunProgram(installation, false, n));
        EXPECT_EQ(0, RunProgram(installation, false, 0, realScript));
        Snapshot end = TakeSnapshot();
        EXPECT_TRUE(reference == end) << "missing:\n" << Missing(referenceLines, Lines(end)) << "extra:\n"
                                      << Missing(Lines(end), referenceLines);
        handlersLost += LineCount(Missing(previousHandlers, Lines(end)));
        EXPECT_EQ("", installation.Remaining());
        EXPECT_FALSE(PathExists(ProgramGroup()));
        if (realScript) {
            for (int i = 0; i < 200 && PathExists(installation.folder); i++)
                Sleep(100);
            EXPECT_FALSE(PathExists(installation.folder)) << "the program and its folder stayed";
        }
        installation.Clear();
    }
    PutBack(seeded);
    EXPECT_EQ(0, handlersLost);
    // The figure that make test prints.
    std::string figure = "setup: " + std::to_string(setupPoints.size()) + " points, uninstall: " +
                         std::to_string(uninstallPoints.size()) + " points, " + std::to_string(handlersLost) +
                         " previous handlers lost";
    WriteBytes(TestFolder() + "interruption-" + Family() + ".txt", figure + "\n");
    printf("%s\n", figure.c_str());
}

}  // namespace
