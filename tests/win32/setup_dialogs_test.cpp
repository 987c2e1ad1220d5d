// The setup run's dialogs with their real procedures on the program's own templates: what they
// show after start, what each button does, and what reaches the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "driver/program.h"
#include "reg_dump.h"
#include "resources/resource.h"
#include "setup/setup_dialogs.h"
#include "shell/desktop_launch.h"
#include "test_helpers.h"
#include "test_support.h"

namespace {

using uninstall_tests::ReadBytes;

const char kProductKey[] = "Software\\Krelvo";

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class SetupDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        LoadLibraryA("riched32.dll");
        WipeRegTree(HKEY_CURRENT_USER, kProductKey);
        WipeRegTree(HKEY_CLASSES_ROOT, ".iso");
        SilentSetup = false;
    }
    void TearDown() override { WipeRegTree(HKEY_CURRENT_USER, kProductKey); }
};

TEST_F(SetupDialogs, FirstRunStatesAndToggling) {
    INT_PTR result = RunModal("SETUPDLG", SetupDialogProc, [](HWND dialog) {
        // First-run defaults: every archive kind (no other program holds .iso here), the
        // program group, integration with menu icons, no cascaded menu.
        for (int id = IDC_KIND_FIRST; id <= IDC_KIND_LAST; id++)
            EXPECT_TRUE(Checked(dialog, id)) << id;
        EXPECT_FALSE(Checked(dialog, IDC_DESKTOP));
        EXPECT_FALSE(Checked(dialog, IDC_START_MENU));
        EXPECT_TRUE(Checked(dialog, IDC_PROGRAMS));
        EXPECT_TRUE(Checked(dialog, IDC_SHELL_EXT));
        EXPECT_FALSE(Checked(dialog, IDC_CASCADED_MENU));
        EXPECT_TRUE(Checked(dialog, IDC_MENU_ICONS));
        EXPECT_TRUE(Enabled(dialog, IDC_CASCADED_MENU));
        EXPECT_EQ(reinterpret_cast<LRESULT>(ProgramIcon), SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));

        // Integration off greys the two menu boxes and keeps their marks; on again restores.
        CheckDlgButton(dialog, IDC_SHELL_EXT, BST_UNCHECKED);
        Click(dialog, IDC_SHELL_EXT);
        EXPECT_FALSE(Enabled(dialog, IDC_CASCADED_MENU));
        EXPECT_FALSE(Enabled(dialog, IDC_MENU_ICONS));
        EXPECT_TRUE(Checked(dialog, IDC_MENU_ICONS));
        CheckDlgButton(dialog, IDC_SHELL_EXT, BST_CHECKED);
        Click(dialog, IDC_SHELL_EXT);
        EXPECT_TRUE(Enabled(dialog, IDC_CASCADED_MENU));
        EXPECT_TRUE(Enabled(dialog, IDC_MENU_ICONS));
        EXPECT_TRUE(Checked(dialog, IDC_MENU_ICONS));

        // Select-all checks the twelve kinds and nothing else.
        CheckDlgButton(dialog, IDC_KIND_FIRST + 3, BST_UNCHECKED);
        Click(dialog, IDC_SELECT_ALL);
        for (int id = IDC_KIND_FIRST; id <= IDC_KIND_LAST; id++)
            EXPECT_TRUE(Checked(dialog, id)) << id;
        EXPECT_FALSE(Checked(dialog, IDC_DESKTOP));
        EXPECT_FALSE(Checked(dialog, IDC_CASCADED_MENU));

        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(0, result);
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, kProductKey)) << "Esc saved something";
}

TEST_F(SetupDialogs, SavedChoicesAreShown) {
    DWORD off = 0, on = 1;
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.zip", "Set", REG_DWORD, &off, 4);
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\Links", "Desktop", REG_DWORD, &on, 4);
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup", "ShellExt", REG_DWORD, &off, 4);
    RunModal("SETUPDLG", SetupDialogProc, [](HWND dialog) {
        EXPECT_FALSE(Checked(dialog, IDC_KIND_FIRST + 1));
        EXPECT_TRUE(Checked(dialog, IDC_DESKTOP));
        EXPECT_FALSE(Checked(dialog, IDC_SHELL_EXT));
        EXPECT_FALSE(Enabled(dialog, IDC_MENU_ICONS));
        PostMessageA(dialog, WM_CLOSE, 0, 0);  // the close box sends IDCANCEL
    });
}

TEST_F(SetupDialogs, ContextItemsStoredOnOkOnly) {
    // Cancel after changes: nothing stored.
    INT_PTR result = RunModal("CONTEXTITEMS", ContextItemsDialogProc, [](HWND dialog) {
        for (int id = 101; id <= 109; id++)
            EXPECT_TRUE(Checked(dialog, id)) << id;
        EXPECT_FALSE(Checked(dialog, 110));
        EXPECT_FALSE(Checked(dialog, 111));
        CheckDlgButton(dialog, 101, BST_UNCHECKED);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(0, result);
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\MenuItems"));

    // OK stores all eleven, also those equal to their defaults.
    result = RunModal("CONTEXTITEMS", ContextItemsDialogProc, [](HWND dialog) {
        CheckDlgButton(dialog, 101, BST_UNCHECKED);
        CheckDlgButton(dialog, 111, BST_CHECKED);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(1, result);
    const char* names[] = {"ExtrTo", "ExtrHere", "Extr", "ExtrSep", "OpenSFX", "AddTo",
                           "AddArc", "EmailArc", "EmailOpt", "Test", "Convert"};
    const DWORD expected[] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1};
    for (int i = 0; i < 11; i++) {
        DWORD type = 0;
        std::string bytes;
        ASSERT_TRUE(GetRegValue(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\MenuItems", names[i], &type, &bytes))
            << names[i];
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&expected[i]), 4), bytes) << names[i];
    }

    // The stored states come back, a stored 0 over a default of 1 included.
    RunModal("CONTEXTITEMS", ContextItemsDialogProc, [](HWND dialog) {
        EXPECT_FALSE(Checked(dialog, 101));
        EXPECT_TRUE(Checked(dialog, 111));
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

TEST_F(SetupDialogs, ContextItemsFromTheSetupDialogSurviveItsCancel) {
    RunModal("SETUPDLG", SetupDialogProc, [](HWND setup) {
        RunModal(
            [setup] {
                Click(setup, IDC_CONTEXT_ITEMS);  // modal, owned by the setup dialog
                return INT_PTR(0);
            },
            [](HWND items) {
                CheckDlgButton(items, 110, BST_CHECKED);
                PostMessageA(items, WM_COMMAND, IDOK, 0);
            });
        PostMessageA(setup, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ("01000000", [] {
        DWORD type;
        std::string bytes;
        GetRegValue(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\MenuItems", "Test", &type, &bytes);
        char hex[16] = "";
        for (size_t i = 0; i < bytes.size() && i < 4; i++)
            sprintf(hex + 2 * i, "%02x", static_cast<unsigned char>(bytes[i]));
        return std::string(hex);
    }());
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\Links")) << "setup choices saved";
}

TEST_F(SetupDialogs, HelpTopicsOfEachDialog) {
    HWND viewer = OpenHelpViewer();
    ASSERT_NE(nullptr, viewer);
    struct { const char* name; DLGPROC procedure; long context; } dialogs[] = {
        {"SETUPDLG", SetupDialogProc, 4288}, {"CONTEXTITEMS", ContextItemsDialogProc, 4976}};
    for (auto& d : dialogs) {
        g_help = HelpRequest();
        RunModal(d.name, d.procedure, [](HWND dialog) {
            HELPINFO info = {sizeof(HELPINFO), HELPINFO_WINDOW, IDOK, GetDlgItem(dialog, IDOK), 0, {0, 0}};
            SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));  // F1
            Click(dialog, IDC_HELP_BUTTON);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(2, g_help.count) << d.name;
        EXPECT_EQ(HELP_CONTEXT, g_help.command) << d.name;
        EXPECT_EQ(d.context, g_help.context) << d.name;
        EXPECT_EQ("krelvo.hlp", g_help.file) << d.name;
    }
    g_help = HelpRequest();
    RunModal("DONEDLG", CompletionDialogProc, [](HWND dialog) {
        HELPINFO info = {sizeof(HELPINFO), HELPINFO_WINDOW, IDOK, GetDlgItem(dialog, IDOK), 0, {0, 0}};
        SendMessageA(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(0, g_help.count) << "the completion dialog has no help";
    DestroyWindow(viewer);
}

class CompletionDialog : public SetupDialogs {
protected:
    std::string folder = TestFolder() + "Krelvo Done Test";
    std::string decoy = TestFolder() + "Krelvo.exe";
    char previous[1024];
    void SetUp() override {
        SetupDialogs::SetUp();
        GetCurrentDirectoryA(sizeof(previous), previous);
        CreateDirectoryA(folder.c_str(), nullptr);
        SetCurrentDirectoryA(folder.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(previous);
        DeleteFileA((folder + "\\Krelvo.exe").c_str());
        DeleteFileA((folder + "\\ran.txt").c_str());
        DeleteFileA((folder + "\\parent.txt").c_str());
        DeleteFileA(decoy.c_str());
        DeleteFileA((TestFolder() + "ran.txt").c_str());
        DeleteFileA((TestFolder() + "parent.txt").c_str());
        RemoveDirectoryA(folder.c_str());
        SetupDialogs::TearDown();
    }
};

TEST_F(CompletionDialog, ShowsTheFolderAndEveryCloseEndsWithOne) {
    for (UINT close : {static_cast<UINT>(IDOK), static_cast<UINT>(IDCANCEL)}) {
        INT_PTR result = RunModal("DONEDLG", CompletionDialogProc, [this, close](HWND dialog) {
            EXPECT_EQ(folder, ItemText(dialog, IDC_INSTALL_FOLDER));
            EXPECT_EQ(reinterpret_cast<LRESULT>(BoldFont), SendDlgItemMessageA(dialog, IDC_THANKS, WM_GETFONT, 0, 0));
            PostMessageA(dialog, WM_COMMAND, close, 0);
        });
        EXPECT_EQ(1, result) << close;
    }
}

TEST_F(CompletionDialog, RunsTheArchiverByItsQuotedPathAsTheDesktopUser) {
    // The stand-in records its command line in ran.txt and who started it in parent.txt. The
    // decoy stands where an unquoted path with a blank would be taken for a program.
    std::string standIn = TestFolder() + "standin.exe";
    std::string archiver = folder + "\\Krelvo.exe";
    ASSERT_TRUE(CopyFileA(standIn.c_str(), archiver.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(standIn.c_str(), decoy.c_str(), FALSE));
    // No desktop shell to be had (a thread without COM or windows): nothing is started.
    bool started = true;
    std::thread([&] { started = StartAsDesktopUser(archiver.c_str()); }).join();
    EXPECT_FALSE(started);
    // With COM, as the program has it: on the NT family from 6.0 the desktop's Explorer starts
    // the archiver (Wine reports every token elevated, and its desktop answers with the null
    // display driver too); on 95 to XP the dialog starts it itself.
    CoInitialize(nullptr);
    RunModal("DONEDLG", CompletionDialogProc, [](HWND dialog) {
        Click(dialog, IDC_RUN_PROGRAM);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    CoUninitialize();
    std::string ran;
    for (int i = 0; i < 200 && ran.empty(); i++) {
        Sleep(50);
        ran = ReadBytes(folder + "\\ran.txt");
    }
    EXPECT_EQ("\"" + archiver + "\"", ran);
    EXPECT_EQ("", ReadBytes(TestFolder() + "ran.txt")) << "the decoy ran";
    std::string parent = ReadBytes(folder + "\\parent.txt");
    EXPECT_EQ(uninstall_tests::IsNtPrefix(), parent != std::to_string(GetCurrentProcessId()))
        << "started by process " << parent << ", this is " << GetCurrentProcessId();
}

// Explorer is asked to start a program only when it runs as this process's user (Wine's
// always does, so the launch above still goes through it). A process whose user cannot be
// read counts as another user's: the program is then started directly, which works for both.
TEST(DesktopLaunch, OnlyAProcessReadAsThisUsersCountsAsOurs) {
    EXPECT_TRUE(ProcessRunsAsThisUser(GetCurrentProcessId()));
    EXPECT_FALSE(ProcessRunsAsThisUser(0)) << "no process can be opened by id 0";
}

TEST_F(CompletionDialog, SilentSetupClosesItAtOnce) {
    SilentSetup = true;
    DWORD start = GetTickCount();
    INT_PTR result = RunCompletionDialog();
    SilentSetup = false;
    EXPECT_EQ(1, result);
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(LaunchProgram, ReportsWhetherTheProcessStarted) {
    EXPECT_FALSE(LaunchProgram("C:\\no such folder\\nothing.exe"));
    std::string line = "\"" + TestFolder() + "standin.exe\"";
    EXPECT_TRUE(LaunchProgram(line.c_str()));
    Sleep(500);
    DeleteFileA((TestFolder() + "ran.txt").c_str());
}

}  // namespace
