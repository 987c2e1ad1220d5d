// The real program under Wine: what each command line does, seen from outside through its exit,
// its timing and the windows it shows.
#include <windows.h>

#include <gtest/gtest.h>

#include "lang/lookup_key.h"
#include "test_helpers.h"
#include "test_support.h"

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The warning runs start the tree's own program, which would leave itself to the restart: with
// that made to fail, it keeps its name and asks for deletion by hand.
struct RestartDeletionsBlocked {
    RestartDeletionsBlocked() { uninstall_tests::BlockRestartDeletions(); }
    ~RestartDeletionsBlocked() { uninstall_tests::ClearRestartDeletions(); }
};

TEST(Program, WaitSleepsTwoSecondsAndExitsZero) {
    RunningProgram program;
    ASSERT_TRUE(program.Start(Quoted(ProgramPath()) + " /wait"));
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(20000, &exitCode));
    DWORD elapsed = GetTickCount() - program.startTick;
    EXPECT_EQ(0u, exitCode);
    EXPECT_GE(elapsed, 1950u);
    EXPECT_LT(elapsed, 10000u);
}

TEST(Program, WarningNamesTheProgramFile) {
    RestartDeletionsBlocked blocked;
    RunningProgram program;
    ASSERT_TRUE(program.Start(Quoted(ProgramPath()) + " /warning"));
    HWND box = program.WaitForDialog(20000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(Ansi("解除安裝 Krelvo"), WindowText(box));
    // A message box keeps its text in the static control 0xFFFF.
    std::string expected = Ansi("解除安裝完成") + "\n" + Ansi("您必須手動刪除 ") + ProgramPath();
    EXPECT_EQ(expected, ItemText(box, 0xFFFF));
    PressButton(box, IDOK);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(20000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

TEST(Program, WaitThenWarningInThatOrder) {
    RestartDeletionsBlocked blocked;
    RunningProgram program;
    ASSERT_TRUE(program.Start(Quoted(ProgramPath()) + " /wait /warning"));
    HWND box = program.WaitForDialog(20000);
    ASSERT_NE(nullptr, box);
    EXPECT_GE(GetTickCount() - program.startTick, 1950u);
    PressButton(box, IDOK);
    ASSERT_TRUE(program.Wait(20000));
}

TEST(Program, NoArgumentsAsksToUninstall) {
    RunningProgram program;
    ASSERT_TRUE(program.Start(Quoted(ProgramPath())));
    HWND box = program.WaitForDialog(20000);
    ASSERT_NE(nullptr, box) << "the uninstall confirmation did not appear";
    EXPECT_EQ(Ansi("解除安裝 Krelvo"), WindowText(box));
    EXPECT_EQ(Ansi("繼續解除安裝 Krelvo"), ItemText(box, 0xFFFF));
    PressButton(box, IDNO);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(20000, &exitCode));
    EXPECT_EQ(1602u, exitCode) << "declined";
}

TEST(Program, WarningIsCutToItsBuffer) {
    RestartDeletionsBlocked blocked;
    // Long translations of 5105 and 5106 and a long program path together exceed 512 bytes.
    std::string folder = TestFolder() + "warning " + std::string(150, 'w');
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string program = folder + "\\uninstall.exe";
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), program.c_str(), FALSE));
    char done[9], manual[9];
    MakeLookupKey(done, 's', nullptr, Ansi("解除安裝完成").c_str());
    MakeLookupKey(manual, 's', nullptr, Ansi("您必須手動刪除 %s").c_str());
    std::string file = "***messages***\r\n" + std::string(done) + "=\"" + std::string(250, 'A') + "\"\r\n" +
                       std::string(manual) + "=\"" + std::string(240, 'B') + " %s\"\r\n";
    std::string languageFile = folder + "\\uninstall.lng";
    HANDLE h = CreateFileA(languageFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
    {
        RunningProgram running;
        ASSERT_TRUE(running.Start(Quoted(program) + " /warning"));
        HWND box = running.WaitForDialog(20000);
        ASSERT_NE(nullptr, box);
        std::string text = ItemText(box, 0xFFFF);
        std::string expected = std::string(250, 'A') + "\n" + std::string(240, 'B') + " " + program;
        EXPECT_EQ(expected.substr(0, 511), text);
        PressButton(box, IDOK);
        ASSERT_TRUE(running.Wait(20000));
    }
    DeleteFileA(languageFile.c_str());
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(Program, AnySeparatorPreventsTheUninstall) {
    for (const char* arguments : {" my-files", " /", " /unknown", " /warn"}) {
        RunningProgram program;
        ASSERT_TRUE(program.Start(Quoted(ProgramPath()) + arguments));
        EXPECT_EQ(nullptr, program.WaitForDialog(15000)) << arguments;
        DWORD exitCode = 1;
        ASSERT_TRUE(program.Wait(20000, &exitCode)) << arguments;
        EXPECT_EQ(0u, exitCode) << arguments;
    }
}

}  // namespace

namespace {

// A copy of the program in a folder of its own, with an optional language library beside it.
struct ProgramCopy {
    std::string folder;
    explicit ProgramCopy(const char* name, const char* library = nullptr) {
        folder = TestFolder() + name;
        CreateDirectoryA(folder.c_str(), nullptr);
        CopyFileA(ProgramPath().c_str(), (folder + "\\uninstall.exe").c_str(), FALSE);
        if (library)
            CopyFileA((TestFolder() + "fixtures\\" + library).c_str(),
                      (folder + "\\kvolng.dll").c_str(), FALSE);
    }
    std::string Program() const { return "\"" + folder + "\\uninstall.exe\""; }
    ~ProgramCopy() {
        DeleteFileA((folder + "\\kvolng.dll").c_str());
        DeleteFileA((folder + "\\uninstall.exe").c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

TEST(ProgramSetup, CancelledSetupShowsNothingMore) {
    RunningProgram program;
    ASSERT_TRUE(program.Start(Quoted(ProgramPath()) + " /setup"));
    HWND setup = program.WaitForDialog(20000);
    ASSERT_NE(nullptr, setup);
    PressButton(setup, IDCANCEL);
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(20000, &exitCode));
    EXPECT_EQ(0u, exitCode);
}

TEST(ProgramSetup, SilentFlagOnlyForLaterSetups) {
    RunningProgram program;
    ASSERT_TRUE(program.Start(Quoted(ProgramPath()) + " /setup /s"));
    HWND setup = program.WaitForDialog(20000);
    ASSERT_NE(nullptr, setup) << "/setup /s is interactive";
    PressButton(setup, IDCANCEL);
    ASSERT_TRUE(program.Wait(20000));
}

TEST(ProgramSetup, SetupDialogThatCannotBeCreatedIsNoConfirmation) {
    // The library lacks the setup dialog (creation fails with -1) but has the completion dialog:
    // it must not appear.
    ProgramCopy copy("setup_missing", "only_done_dialog.dll");
    RunningProgram program;
    ASSERT_TRUE(program.Start(copy.Program() + " /setup"));
    EXPECT_EQ(nullptr, program.WaitForDialog(15000));
    DWORD exitCode = 1;
    ASSERT_TRUE(program.Wait(20000, &exitCode));
    EXPECT_EQ(1603u, exitCode) << "nothing was set up";
}

}  // namespace
