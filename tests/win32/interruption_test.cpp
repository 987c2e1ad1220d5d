// Setup and uninstall cut off after any registry write or delete, as a crash or a power cut
// would, and then run again. The program under test is uninstall_interruptible.exe: the
// program with an interruption point that ends it with exit code 99 right after its Nth write
// or delete (KVO_INTERRUPT_AFTER). Between points the registry trees that the program touches
// are put back from snapshots taken once, so one prefix serves every point.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <random>
#include <set>
#include <sstream>

#include "installation.h"
#include "reg_dump.h"
#include "registry/registry.h"
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
                            "*\\shellex", "Folder\\shellex", "Drive\\shellex", "Directory\\shellex", "exefile\\shellex",
                            "Other.Archive", "Another.Archive"})
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
    // The records of the previous handlers (Software\Krelvo, where the previous release also
    // kept Default Programs' entry), and Default Programs from Vista on.
    for (const char* key : {"Software\\Classes\\Krelvo\\Capabilities", "Software\\Krelvo",
                            "Software\\RegisteredApplications"})
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

// The key a change of the log names, root and full path ("37 V HKCR\\.zip|Content Type" names
// "HKCR\\.zip"): the log writes every key in that one form.
std::string ChangedKey(const std::string& change) {
    size_t start = change.find(' ', change.find(' ') + 1) + 1;
    return change.substr(start, change.find('|', start) - start);
}

// Whether a key is the tree's own or lies below it: ".zip\\ShellNew" is in ".zip", ".zipx" is not.
bool InTree(const std::string& key, const Tree& tree) {
    const std::string top = Lower(std::string(tree.rootName) + "\\" + tree.path);
    const std::string name = Lower(key);
    return name == top || name.compare(0, top.size() + 1, top + "\\") == 0;
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
// each kind (a file name, a null file, "Data" as bytes and as text, and keys holding more:
// item names, icons, commands, and for .zip a "Config" subkey that no record can keep; its
// "Data" is the system's own empty archive, the same bytes as our template); .iso belongs to
// another program, and so do the volume extensions .r00 to .r05 and .r45 of another archiver.
// Another program is offered for .zip too, and listed in Default Programs.
const char* const kSeededVolumes[] = {".r00", ".r01", ".r02", ".r03", ".r04", ".r05", ".r45"};

void SeedPreviousHandlers() {
    // Each seeded key whole, whatever earlier runs in this prefix left in it.
    for (const char* ext : {".kvo", ".zip", ".cab", ".arj", ".gz", ".iso"})
        WipeRegTree(HKEY_CLASSES_ROOT, ext);
    for (const char* volume : kSeededVolumes) {
        WipeRegTree(HKEY_CLASSES_ROOT, volume);
        SetRegText(HKEY_CLASSES_ROOT, volume, "", "OtherRar.Volume");
    }
    SetRegText(HKEY_CLASSES_ROOT, ".r01", "Content Type", "application/x-rar");
    SetRegText(HKEY_CLASSES_ROOT, ".r45\\OpenWithList\\OtherRar.exe", "", "");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo", "", "OtherKvo");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "Data", "KVO template text");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "ItemName", "@OtherKvo.dll,-101");
    SetRegBytes(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "IconPath", REG_EXPAND_SZ, "%SystemRoot%\\kvo.ico", 21);
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip.Archive");
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/x-zip-compressed");
    const BYTE emptyZip[22] = {0x50, 0x4B, 0x05, 0x06};
    SetRegBytes(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, emptyZip, sizeof(emptyZip));
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "ItemName", "@zipfldr.dll,-10194");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "IconPath", "zipfldr.dll,0");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Command", "zipnew.exe \"%1\"");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew\\Config", "NoExtension", "");
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

// The shell integration choice of the next setup run, as the setup dialog saves it.
void ChooseShellIntegration(DWORD on) {
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup", "ShellExt", REG_DWORD, &on, sizeof(on));
}

const char kUninstallEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Krelvo archiver";

// The command by which the system starts the uninstall, or "" when there is no entry to
// start it from.
std::string UninstallCommand() {
    std::string command = GetRegText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString");
    return command == "<none>" ? "" : command;
}

struct WindowSearch {
    DWORD processId;
    std::string found;
};

// An EnumWindows callback: a plain function, as i686 wants it stdcall.
BOOL CALLBACK AddProcessWindow(HWND window, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->processId)
        search->found += "[" + ClassName(window) + " \"" + WindowText(window) + "\"" +
                         (IsWindowVisible(window) ? " visible" : "") + "] ";
    return TRUE;
}

std::string ProcessWindows(DWORD processId) {
    WindowSearch search = {processId, ""};
    EnumWindows(AddProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A run that did not end in time: tells a slow start (no registry change made, no window
// made) from a hang (it had got going), says what it showed and how far it got, and ends it.
void ReportStuck(RunningProgram& program, const std::string& logPath, const char* waitingFor) {
    std::string log = ReadBytes(logPath);
    std::string windows = ProcessWindows(program.info.dwProcessId);
    int changes = LineCount(log);
    std::string verdict = changes == 0 && windows.empty()
                              ? "a slow start: it had made no registry change and no window"
                              : "a hang in the program";
    std::string last = log.substr(log.rfind('\n', log.size() >= 2 ? log.size() - 2 : 0) + 1);
    ADD_FAILURE() << "waiting for " << waitingFor << ": " << verdict << "; windows: "
                  << (windows.empty() ? "none" : windows) << "; " << changes
                  << " registry changes, the last: " << last;
    TerminateProcess(program.info.hProcess, 1);
    WaitForSingleObject(program.info.hProcess, 10000);
}

// How a run is cut short: after its Nth registry change (interruptAfter, 0: never), or by the
// system refusing its Nth change as it does without the rights (failAt, 0: never). A refused
// uninstall tells the user, whose OK *told records. With noRights the program's check for
// write access fails.
struct Fault {
    int interruptAfter;
    int failAt;
    bool* told;
    bool noRights;
};

const Fault kNoFault = {0, 0, nullptr, false};

// Answers the message that a run which has been answered Yes may show before it ends.
bool AnswerLaterMessage(RunningProgram& program, HWND question) {
    for (DWORD waited = 0; waited < 60000 && WaitForSingleObject(program.info.hProcess, 50) == WAIT_TIMEOUT;
         waited += 50) {
        HWND box = IsWindow(question) ? nullptr : program.WaitForDialog(0);
        if (box) {
            PressButton(box, IDOK);
            return true;
        }
    }
    return false;
}

// Runs the program with a fault (above): setup in the installation folder, as the installer
// starts it, or the uninstall by the command of its entry, as the system starts it, answered
// Yes; the removal script goes to the stand-in interpreter unless realScript. The run's
// changes go to *log when given. Returns the exit code, or -1 when it could not run or did not
// end in time (reported as a failure).
int RunProgram(const Installation& installation, bool setup, Fault fault, bool realScript = false,
               std::string* log = nullptr) {
    std::string command = setup ? installation.Program() + " /s /setup" : UninstallCommand();
    if (command.empty()) {
        ADD_FAILURE() << "no uninstall entry to start the uninstall from";
        return -1;
    }
    std::string logPath = installation.folder + ".log";
    DeleteFileA(logPath.c_str());
    SetEnvironmentVariableA("KVO_REGISTRY_LOG", logPath.c_str());
    SetEnvironmentVariableA("KVO_INTERRUPT_AFTER", std::to_string(fault.interruptAfter).c_str());
    SetEnvironmentVariableA("KVO_FAIL_AT", std::to_string(fault.failAt).c_str());
    SetEnvironmentVariableA("KVO_DENY_RIGHTS", fault.noRights ? "1" : nullptr);
    std::string savedComspec = getenv("COMSPEC") ? getenv("COMSPEC") : "";
    if (!setup && !realScript)
        SetEnvironmentVariableA("COMSPEC", (TestFolder() + "interpreter_probe.exe").c_str());
    RunningProgram program;
    bool started = program.Start(command, setup ? installation.folder.c_str() : nullptr);
    SetEnvironmentVariableA("COMSPEC", savedComspec.c_str());
    SetEnvironmentVariableA("KVO_INTERRUPT_AFTER", nullptr);
    SetEnvironmentVariableA("KVO_FAIL_AT", nullptr);
    SetEnvironmentVariableA("KVO_REGISTRY_LOG", nullptr);
    int result = -1;
    HWND question = nullptr;
    if (started && program.startTries > 1)
        printf("%s: started at try %d, the last refused one with Win32 error %lu\n", command.c_str(),
               program.startTries, static_cast<unsigned long>(program.startError));
    if (!started) {
        // Start has reported it, with the Win32 error.
    } else if (!setup && !(question = program.WaitForDialog(30000))) {
        if (WaitForSingleObject(program.info.hProcess, 0) == WAIT_OBJECT_0)
            ADD_FAILURE() << "the uninstall ended without asking";
        else
            ReportStuck(program, logPath, "the uninstall's question");
    } else {
        if (question)
            PressButton(question, IDYES);
        if (question && fault.told)
            *fault.told = AnswerLaterMessage(program, question);
        DWORD exitCode = 0;
        if (program.Wait(60000, &exitCode))
            result = static_cast<int>(exitCode);
        else
            ReportStuck(program, logPath, setup ? "the end of setup" : "the end of the uninstall");
    }
    if (log)
        *log = ReadBytes(logPath);
    DeleteFileA(logPath.c_str());
    return result;
}

// The registry changes of one uninterrupted run, counted from the program's change log.
int CountedRun(const Installation& installation, bool setup, std::string* log) {
    EXPECT_EQ(0, RunProgram(installation, setup, kNoFault, false, log));
    return LineCount(*log);
}

// The interruption points over 1..count: every one with KVO_INTERRUPT_POINTS=all or when there
// are few, else spread of them (40, or KVO_INTERRUPT_POINTS) spread evenly, the first and the
// last among them.
std::vector<int> Points(int count, int spread = 0) {
    const char* wanted = getenv("KVO_INTERRUPT_POINTS");
    bool all = wanted && strcmp(wanted, "all") == 0;
    if (spread < 2)
        spread = wanted && atoi(wanted) >= 2 ? atoi(wanted) : 40;
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
    const std::string program = TestFolder() + "uninstall_interruptible.exe";
    Installation installation(ProgramFilesFolder() + "\\Krelvo Interrupted");
    ASSERT_TRUE(installation.Stage(program));
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
    // The uninstall entry comes first in setup and goes last in the uninstall.
    EXPECT_NE(std::string::npos, Change(setupLog, 1).find(kUninstallEntry)) << Change(setupLog, 1);
    EXPECT_NE(std::string::npos, Change(uninstallLog, uninstallChanges).find(kUninstallEntry))
        << Change(uninstallLog, uninstallChanges);
    // Every change of setup and of the uninstall lies in the trees that the snapshots put back.
    for (const std::string& log : {setupLog, uninstallLog}) {
        std::istringstream changes(log);
        for (std::string change; std::getline(changes, change);) {
            bool inside = false;
            for (const Tree& tree : TouchedTrees())
                inside = inside || InTree(ChangedKey(change), tree);
            EXPECT_TRUE(inside) << "a change outside the restored trees: " << change;
        }
    }
    const std::set<std::string> seededLines = Lines(seeded), referenceLines = Lines(reference);
    // What an uninterrupted round trip keeps of the previous handlers: all of it.
    std::set<std::string> previousHandlers;
    for (const std::string& line : seededLines)
        if (referenceLines.count(line))
            previousHandlers.insert(line);
    EXPECT_EQ("", Missing(seededLines, referenceLines)) << "the uninterrupted round trip lost these";
    int handlersLost = 0;
    // After a run the user could not finish: every previous handler back, and nothing left of
    // the product that an uninterrupted round trip would not leave too.
    const auto expectNothingLeft = [&](const char* after) {
        std::set<std::string> endLines = Lines(TakeSnapshot());
        std::string lost = Missing(previousHandlers, endLines);
        EXPECT_EQ("", lost) << "previous handlers lost " << after;
        handlersLost += LineCount(lost);
        EXPECT_EQ("", Missing(endLines, referenceLines)) << "left of the product " << after;
        EXPECT_EQ("", installation.Remaining()) << after;
        EXPECT_FALSE(PathExists(ProgramGroup())) << after;
    };

    // Shell integration off at the first setup and turned on at a second: the new-file entries
    // that ours replaces only then are kept all the same.
    PutBack(seeded);
    ASSERT_TRUE(installation.Stage(program));
    ChooseShellIntegration(0);
    EXPECT_EQ(0, RunProgram(installation, true, kNoFault));
    EXPECT_EQ("KVO template text", GetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "Data"));
    ChooseShellIntegration(1);
    EXPECT_EQ(0, RunProgram(installation, true, kNoFault));
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "ItemName")) << "ours replaced it";
    EXPECT_EQ(0, RunProgram(installation, false, kNoFault));
    expectNothingLeft("after shell integration off, then on");
    installation.Clear();

    std::vector<int> setupPoints = Points(setupChanges), uninstallPoints = Points(uninstallChanges);
    for (int n : setupPoints) {
        SCOPED_TRACE("setup cut after change " + Change(setupLog, n));
        // Cut, then setup again to its end, then the uninstall: the same end as without the cut.
        PutBack(seeded);
        ASSERT_TRUE(installation.Stage(program));
        EXPECT_EQ(99, RunProgram(installation, true, {n, 0, nullptr, false}));
        EXPECT_EQ(0, RunProgram(installation, true, kNoFault));
        EXPECT_EQ(0, RunProgram(installation, false, kNoFault));
        Snapshot end = TakeSnapshot();
        EXPECT_TRUE(reference == end) << "missing:\n" << Missing(referenceLines, Lines(end)) << "extra:\n"
                                      << Missing(Lines(end), referenceLines);
        handlersLost += LineCount(Missing(previousHandlers, Lines(end)));
        installation.Clear();

        // Cut, then the user gives up and uninstalls from the list of removable programs,
        // whose entry setup wrote before anything else.
        PutBack(seeded);
        ASSERT_TRUE(installation.Stage(program));
        EXPECT_EQ(99, RunProgram(installation, true, {n, 0, nullptr, false}));
        EXPECT_EQ(0, RunProgram(installation, false, kNoFault));
        expectNothingLeft("after the uninstall");
        installation.Clear();
    }
    // The self-removal runs for real at the first point, and at the last that leaves the
    // entry to run (NT family).
    const int lastWithEntry = uninstallPoints.size() > 1 ? uninstallPoints[uninstallPoints.size() - 2] : 0;
    for (int n : uninstallPoints) {
        SCOPED_TRACE("uninstall cut after change " + Change(uninstallLog, n));
        bool realScript = IsNtPrefix() && (n == uninstallPoints.front() || n == lastWithEntry);
        PutBack(installed);
        ASSERT_TRUE(installation.Stage(program, kvoTemplate, zipTemplate));
        EXPECT_EQ(99, RunProgram(installation, false, {n, 0, nullptr, false}));
        // Either the entry is still there and running it finishes the job, or nothing of the
        // product is left but what the self-removal takes away: the program and its folder.
        bool entryLeft = !UninstallCommand().empty();
        EXPECT_EQ(n < uninstallChanges, entryLeft);
        if (entryLeft) {
            EXPECT_EQ(0, RunProgram(installation, false, kNoFault, realScript));
        }
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
    // The system refuses one change, as it does without the rights. A setup so refused leaves
    // no extension half taken: the uninstall after it gives every handler back (one refused at
    // its entry changes nothing at all). An uninstall so refused tells the user and keeps its
    // entry and files, and run again it finishes the job.
    if (IsNtPrefix()) {
        // Without the rights on the NT family neither setup nor the uninstall changes a thing
        // (the uninstall says so, and that message is answered as its question would be); both
        // end with the code for "not done".
        PutBack(seeded);
        ASSERT_TRUE(installation.Stage(program));
        EXPECT_EQ(1603, RunProgram(installation, true, {0, 0, nullptr, true}));
        EXPECT_TRUE(seeded == TakeSnapshot()) << "setup without the rights";
        PutBack(installed);
        ASSERT_TRUE(installation.Stage(program, kvoTemplate, zipTemplate));
        std::string listed = installation.Remaining();
        EXPECT_EQ(1603, RunProgram(installation, false, {0, 0, nullptr, true}));
        EXPECT_TRUE(installed == TakeSnapshot()) << "the uninstall without the rights";
        EXPECT_EQ(listed, installation.Remaining());
        installation.Clear();
    }
    const char* faultPoints = getenv("KVO_FAULT_POINTS");
    int faultSpread = faultPoints ? atoi(faultPoints) : 12;
    std::vector<int> setupFaults = Points(setupChanges, faultSpread), uninstallFaults = Points(uninstallChanges, faultSpread);
    for (int n : setupFaults) {
        SCOPED_TRACE("setup refused change " + Change(setupLog, n));
        PutBack(seeded);
        ASSERT_TRUE(installation.Stage(program));
        EXPECT_EQ(1603, RunProgram(installation, true, {0, n, nullptr, false})) << "a refused setup is not done";
        if (UninstallCommand().empty()) {
            EXPECT_TRUE(seeded == TakeSnapshot()) << "setup went on without its entry";
        } else {
            EXPECT_EQ(0, RunProgram(installation, false, kNoFault));
            expectNothingLeft("after the refused setup, uninstalled");
        }
        installation.Clear();
    }
    int told = 0;
    for (int n : uninstallFaults) {
        SCOPED_TRACE("uninstall refused change " + Change(uninstallLog, n));
        PutBack(installed);
        ASSERT_TRUE(installation.Stage(program, kvoTemplate, zipTemplate));
        bool toldUser = false;
        int result = RunProgram(installation, false, {0, n, &toldUser, false});
        EXPECT_EQ(toldUser, !UninstallCommand().empty()) << "told exactly when the entry stayed";
        EXPECT_EQ(toldUser ? 1603 : 0, result);
        if (toldUser) {
            told++;
            EXPECT_EQ(0, RunProgram(installation, false, kNoFault));
        }
        Snapshot end = TakeSnapshot();
        EXPECT_TRUE(reference == end) << "missing:\n" << Missing(referenceLines, Lines(end)) << "extra:\n"
                                      << Missing(Lines(end), referenceLines);
        handlersLost += LineCount(Missing(previousHandlers, Lines(end)));
        EXPECT_EQ("", installation.Remaining());
        installation.Clear();
    }
    EXPECT_GT(told, 0) << "no refused change was noticed";

    PutBack(seeded);
    EXPECT_EQ(0, handlersLost);
    // The figure that make test prints.
    std::string figure = "setup: " + std::to_string(setupPoints.size()) + " points, uninstall: " +
                         std::to_string(uninstallPoints.size()) + " points, shell integration off then on: 1 run, " +
                         "a change refused: setup " + std::to_string(setupFaults.size()) + " points, uninstall " +
                         std::to_string(uninstallFaults.size()) + " points (" + std::to_string(told) + " told), " +
                         std::to_string(handlersLost) + " previous handlers lost (of " +
                         std::to_string(previousHandlers.size()) + " registry lines there before setup)";
    WriteBytes(TestFolder() + "interruption-" + Family() + ".txt", figure + "\n");
    printf("%s\n", figure.c_str());
}


// Sequences of events as users meet them, played twice on the seeded system: the "real" run
// gets our setups and uninstalls (cut off too) and other programs' actions, the "shadow" run
// only the other programs' actions, in the same order. After our last, complete uninstall the
// two must be the same: nothing of ours left, nothing of theirs lost. One line names a sequence
// (`make explore SEQ="..."` plays it again); tokens, each followed by a blank:
//   S<hex>     our silent setup; choices: bits 0-11 the kinds, 12 shell integration, 13-15
//              desktop, Start menu, program group
//   X<hex>.<n> the same, cut off after its nth registry change;  U  our uninstall;  Y<n> cut off
//   E<e>       an earlier release took extension e (not a volume), its record in the user's
//              settings
//   T<e><p>[+] program p takes e's class (with its content type);  D<e><p> p removes itself:
//              its class, and its values wherever they are (e unused)
//   A<e>       a program adds a value to e's new-file key;  R<e> one replaces that key
const char* const kExploredExtensions[] = {".zip", ".kvo", ".gz", ".cab", ".r03", ".tbz"};
const char* const kOtherClasses[] = {"Other.Archive", "Another.Archive"};

std::string RandomSequence(unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    std::string sequence;
    char token[32];
    bool oursRan = false;  // an earlier release's takeover comes before ours
    for (unsigned events = 2 + pick(6); events > 0; events--) {
        unsigned choices = random() & 0xFFFF, e = pick(6), p = pick(2), kind = pick(10);
        if (kind == 5 && oursRan)
            kind = 6;
        oursRan = oursRan || kind <= 4;
        switch (kind) {
        case 0: case 1: snprintf(token, sizeof(token), "S%x", choices); break;
        case 2: snprintf(token, sizeof(token), "X%x.%u", choices, 1 + pick(700)); break;
        case 3: snprintf(token, sizeof(token), "U"); break;
        case 4: snprintf(token, sizeof(token), "Y%u", 1 + pick(300)); break;
        case 5: snprintf(token, sizeof(token), "E%u", e); break;
        case 6: snprintf(token, sizeof(token), "T%u%u%s", e, p, pick(2) ? "+" : ""); break;
        case 7: snprintf(token, sizeof(token), "D%u%u", e, p); break;
        default: snprintf(token, sizeof(token), "%c%u", pick(2) ? 'A' : 'R', e % 2); break;
        }
        sequence += std::string(token) + " ";
    }
    return sequence;
}

// The setup dialog's saved choices, as a silent setup confirms them.
void SaveChoices(unsigned choices) {
    const char* const kinds[] = {".kvo", ".zip", ".cab", ".arj", ".lzh", ".ace", ".tar", ".gz", ".uue", ".bz2", ".jar", ".iso"};
    for (int i = 0; i < 16; i++) {
        DWORD on = choices >> i & 1;
        const std::string key = i < 12 ? std::string("Software\\Krelvo\\Setup\\") + kinds[i] : i == 12 ? "Software\\Krelvo\\Setup" : "Software\\Krelvo\\Setup\\Links";
        const char* name = i < 12 ? "Set" : i == 12 ? "ShellExt" : i == 13 ? "Desktop" : i == 14 ? "StartMenu" : "Programs";
        SetRegBytes(HKEY_CURRENT_USER, key, name, REG_DWORD, &on, sizeof(on));
    }
}

// Plays a sequence; ours false: the shadow run, which skips our events.
void Play(const std::string& sequence, bool ours, const Installation& installation, const std::string& program) {
    std::istringstream tokens(sequence);
    for (std::string token; tokens >> token;) {
        const std::string ext = kExploredExtensions[(token.size() > 1 ? token[1] - '0' : 0) % 6];
        const char* other = kOtherClasses[(token.size() > 2 ? token[2] - '0' : 0) % 2];
        unsigned choices = 0, n = 0;
        const bool cut = token[0] == 'X' || token[0] == 'Y';
        if ((token[0] == 'S' || token[0] == 'X') && ours) {
            sscanf(token.c_str() + 1, "%x.%u", &choices, &n);
            SaveChoices(choices);
            ASSERT_TRUE(installation.Stage(program));
            int result = RunProgram(installation, true, {static_cast<int>(n), 0, nullptr, false});
            EXPECT_TRUE(result == 0 || (cut && result == 99)) << token << ": " << result;
        } else if ((token[0] == 'U' || token[0] == 'Y') && ours && !UninstallCommand().empty()) {
            n = token[0] == 'Y' ? static_cast<unsigned>(atoi(token.c_str() + 1)) : 0;
            int result = RunProgram(installation, false, {static_cast<int>(n), 0, nullptr, false});
            EXPECT_TRUE(result == 0 || result == 3010 || (cut && result == 99)) << token << ": " << result;
        } else if (token[0] == 'E' && ours && ext[1] != 'r' && GetRegText(HKEY_CLASSES_ROOT, ext, "").rfind("Krelvo", 0) != 0) {
            const std::string record = "Software\\Krelvo\\Setup\\" + ext, type = GetRegText(HKEY_CLASSES_ROOT, ext, "");
            const std::string content = GetRegText(HKEY_CLASSES_ROOT, ext, "Content Type");
            DWORD exist = RegKeyPresent(HKEY_CLASSES_ROOT, ext);
            SetRegBytes(HKEY_CURRENT_USER, record, "Exist", REG_DWORD, &exist, sizeof(exist));
            SetRegText(HKEY_CURRENT_USER, record, "Type", type == "<none>" ? "" : type);
            SetRegText(HKEY_CURRENT_USER, record, "Content", content == "<none>" ? "" : content);
            SetRegText(HKEY_CURRENT_USER, record, "ShellNew", "");
            SetRegText(HKEY_CLASSES_ROOT, ext, "", ext == ".zip" ? "Krelvo.ZIP" : "Krelvo");
            // Its entry, which starts this program bare, as earlier versions wrote it.
            if (UninstallCommand().empty() && installation.Stage(program))
                SetRegText(HKEY_LOCAL_MACHINE, kUninstallEntry, "UninstallString", installation.Path("uninstall.exe"));
            DeleteRegValue(HKEY_CLASSES_ROOT, ext.c_str(), "Content Type");
        } else if (token[0] == 'T') {
            SetRegText(HKEY_CLASSES_ROOT, std::string(other) + "\\shell\\open\\command", "", "other.exe \"%1\"");
            SetRegText(HKEY_CLASSES_ROOT, ext, "", other);
            if (token.back() == '+')
                SetRegText(HKEY_CLASSES_ROOT, ext, "Content Type", std::string("application/x-") + other);
        } else if (token[0] == 'D') {
            WipeRegTree(HKEY_CLASSES_ROOT, other);
            for (const char* its : kExploredExtensions) {
                if (GetRegText(HKEY_CLASSES_ROOT, its, "") == other)
                    DeleteRegValue(HKEY_CLASSES_ROOT, its, "");
                if (GetRegText(HKEY_CLASSES_ROOT, its, "Content Type") == std::string("application/x-") + other)
                    DeleteRegValue(HKEY_CLASSES_ROOT, its, "Content Type");
            }
        } else if (token[0] == 'A' || token[0] == 'R') {
            if (token[0] == 'R')
                WipeRegTree(HKEY_CLASSES_ROOT, ext + "\\ShellNew");
            SetRegText(HKEY_CLASSES_ROOT, ext + "\\ShellNew", token[0] == 'A' ? "OtherItem" : "FileName", "C:\\other\\new" + ext);
        }
    }
}

TEST(Explore, EventSequencesLeaveTheMachineAsTheShadowRun) {
    SeedPreviousHandlers();
    const Snapshot seeded = TakeSnapshot();
    const std::string program = TestFolder() + "uninstall_interruptible.exe";
    Installation installation(ProgramFilesFolder() + "\\Krelvo Explored");
    const char* one = getenv("KVO_EXPLORE_SEQ");
    const int count = one && *one ? 1 : getenv("KVO_EXPLORE_SEQUENCES") ? atoi(getenv("KVO_EXPLORE_SEQUENCES")) : 30;
    const unsigned seed = getenv("KVO_EXPLORE_SEED") ? static_cast<unsigned>(atoi(getenv("KVO_EXPLORE_SEED"))) : 1;
    int differing = 0;
    for (int i = 0; i < count; i++) {
        const std::string sequence = one && *one ? one : RandomSequence(seed * 7919 + static_cast<unsigned>(i));
        PutBack(seeded);
        Play(sequence + "U ", true, installation, program);
        const std::set<std::string> real = Lines(TakeSnapshot());
        const std::string files = installation.Remaining() + (PathExists(ProgramGroup()) ? " program group" : "");
        installation.Clear();
        PutBack(seeded);
        Play(sequence, false, installation, program);
        const std::set<std::string> shadow = Lines(TakeSnapshot());
        std::string difference = Missing(shadow, real) + Missing(real, shadow);
        if (difference.empty() && files.empty())
            continue;
        differing++;
        std::string first;
        std::istringstream lines(Missing(shadow, real));
        for (std::string line; first.size() < 1500 && std::getline(lines, line);)
            first += "  - " + line + "\n";
        lines.clear();
        lines.str(Missing(real, shadow));
        for (std::string line; first.size() < 3000 && std::getline(lines, line);)
            first += "  + " + line + "\n";
        ADD_FAILURE() << "make explore SEQ=\"" << sequence << "\"\n" << (files.empty() ? "" : "  left: " + files + "\n")
                      << first;
    }
    PutBack(seeded);
    printf("Explored: %d sequences, %d differing from the shadow run\n", count, differing);
}

}  // namespace
