// The options record: saved choices with their first-run defaults and the .iso rule, and the
// setup dialog's check boxes on the real "SETUPDLG" template.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "reg_dump.h"
#include "resource.h"
#include "setup/setup_options.h"
#include "setup/setup_options_dialog.h"
#include "test_support.h"

namespace {

class SetupOptionsRecord : public ::testing::Test {
protected:
    void SetUp() override {
        WipeRegTree(HKEY_CURRENT_USER, "Software\\Krelvo");
        WipeRegTree(HKEY_CLASSES_ROOT, ".iso");
    }
    void TearDown() override { SetUp(); }
};

std::string Flags(const SetupOptions& o) {
    std::string text;
    for (unsigned char a : o.Associate)
        text += static_cast<char>('0' + a);
    text += " ";
    for (unsigned char f : {o.Desktop, o.StartMenu, o.Programs, o.ShellExt, o.CascadedMenu, o.MenuIcons})
        text += static_cast<char>('0' + f);
    return text;
}

SetupOptions Loaded() {
    SetupOptions options;
    memset(&options, 7, sizeof(options));
    LoadSetupOptions(options);
    return options;
}

void SaveDword(const std::string& path, const char* name, DWORD value) {
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\" + path, name, REG_DWORD, &value, 4);
}

TEST_F(SetupOptionsRecord, FirstRunDefaults) {
    EXPECT_EQ("111111111111 001101", Flags(Loaded()));
    // Loading writes nothing.
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, "Software\\Krelvo"));
}

TEST_F(SetupOptionsRecord, IsoStartsOffOnlyUnderAForeignClass) {
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", "Burner.Image");
    EXPECT_EQ("111111111110 001101", Flags(Loaded()));
    // Our own classes, in any case, keep the saved value (1 when missing).
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", "KRELVO.zip");
    EXPECT_EQ("111111111111 001101", Flags(Loaded()));
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", "krelvo");
    SaveDword("Setup\\.iso", "Set", 0);
    EXPECT_EQ("111111111110 001101", Flags(Loaded()));
    // An empty class, or a class too long to read in 80 bytes, counts as none.
    SaveDword("Setup\\.iso", "Set", 1);
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", "");
    EXPECT_EQ("111111111111 001101", Flags(Loaded()));
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", std::string(80, 'c'));
    EXPECT_EQ("111111111111 001101", Flags(Loaded()));
    // The rule never turns the kind on.
    SaveDword("Setup\\.iso", "Set", 0);
    WipeRegTree(HKEY_CLASSES_ROOT, ".iso");
    EXPECT_EQ("111111111110 001101", Flags(Loaded()));
}

TEST_F(SetupOptionsRecord, SavedValuesLoadAsOnWhenNotZero) {
    SaveDword("Setup\\.zip", "Set", 0);
    SaveDword("Setup\\.jar", "Set", 7);
    SaveDword("Setup\\.lzh", "Set", 0);
    SaveDword("Setup\\Links", "Desktop", 2);
    SaveDword("Setup\\Links", "Programs", 0);
    SaveDword("Setup", "ShellExt", 0);
    SaveDword("Setup", "CascadedMenu", 1);
    SaveDword("Setup", "MenuIcons", 0);
    // A value of the wrong size reads as missing: the default.
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\Links", "StartMenu", REG_BINARY, "\x01", 1);
    EXPECT_EQ("101101111111 100010", Flags(Loaded()));
}

TEST_F(SetupOptionsRecord, SaveWritesSeventeenValuesAndNeverIso) {
    SetupOptions options;
    memset(&options, 0, sizeof(options));
    for (int i = 0; i < ArchiveKindCount; i += 2)
        options.Associate[i] = 1;
    options.Associate[11] = 1;
    options.StartMenu = options.ShellExt = options.MenuIcons = 1;
    SaveSetupOptions(options);
    std::string expected = "K Software\\Krelvo\nK Software\\Krelvo\\Setup\n";
    const char* kinds[11] = {".kvo", ".zip", ".cab", ".arj", ".lzh", ".ace",
                             ".tar", ".gz",  ".uue", ".bz2", ".jar"};
    for (int i = 0; i < 11; i++) {
        std::string key = std::string("Software\\Krelvo\\Setup\\") + kinds[i];
        expected += "K " + key + "\nV " + key + "|Set|4|0" + (i % 2 ? "0" : "1") + "000000\n";
    }
    expected +=
        "V Software\\Krelvo\\Setup|CascadedMenu|4|00000000\n"
        "V Software\\Krelvo\\Setup|MenuIcons|4|01000000\n"
        "V Software\\Krelvo\\Setup|ShellExt|4|01000000\n"
        "K Software\\Krelvo\\Setup\\Links\n"
        "V Software\\Krelvo\\Setup\\Links|Desktop|4|00000000\n"
        "V Software\\Krelvo\\Setup\\Links|Programs|4|00000000\n"
        "V Software\\Krelvo\\Setup\\Links|StartMenu|4|01000000\n";
    EXPECT_EQ(SortLines(expected), DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo"));

    // Loading gives the record back, .iso decided afresh (saved: nothing; so 1).
    options.Associate[11] = 1;
    SetupOptions loaded = Loaded();
    EXPECT_EQ(Flags(options), Flags(loaded));
}

// The dialog half on the real template, in a modal dialog and in a modeless one.
struct DialogCheck {
    SetupOptions in;
    SetupOptions out;
    SetupOptions afterCheckAll;
    bool cascadedEnabled;
    bool iconsEnabled;
};

void ExerciseDialog(HWND dialog, DialogCheck* check) {
    SetupOptionsToDialog(dialog, check->in);
    SetupOptionsFromDialog(dialog, check->out);
    check->cascadedEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_CASCADED_MENU)) != 0;
    check->iconsEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_MENU_ICONS)) != 0;
    CheckAllArchiveKinds(dialog);
    SetupOptionsFromDialog(dialog, check->afterCheckAll);
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class SetupOptionsDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadLibraryA("riched32.dll"); }
};

TEST_F(SetupOptionsDialog, RoundTripThroughTheBoxesInAModalDialog) {
    DialogCheck check;
    memset(&check, 0, sizeof(check));
    const unsigned char kinds[12] = {1, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 1};
    memcpy(check.in.Associate, kinds, 12);
    check.in.Desktop = 1;
    check.in.Programs = 1;
    check.in.ShellExt = 0;
    check.in.CascadedMenu = 1;  // shown disabled, state kept
    check.in.MenuIcons = 0;
    memset(&check.out, 7, sizeof(check.out));
    INT_PTR result = RunModal("SETUPDLG", PlainProc, [&check](HWND dialog) {
        ExerciseDialog(dialog, &check);
        EndDialog(dialog, 1);
    });
    ASSERT_EQ(1, result) << GetLastError();
    EXPECT_EQ(Flags(check.in), Flags(check.out));
    EXPECT_FALSE(check.cascadedEnabled);
    EXPECT_FALSE(check.iconsEnabled);
    // Checking all kinds leaves the other six boxes as they were.
    EXPECT_EQ("111111111111 101010", Flags(check.afterCheckAll));
}

TEST_F(SetupOptionsDialog, ShellIntegrationEnablesTheMenuBoxes) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), "SETUPDLG", nullptr,
                                     PlainProc, 0);
    ASSERT_NE(nullptr, dialog) << GetLastError();
    DialogCheck check;
    memset(&check, 0, sizeof(check));
    check.in.ShellExt = 1;
    check.in.MenuIcons = 1;
    ExerciseDialog(dialog, &check);
    EXPECT_TRUE(check.cascadedEnabled);
    EXPECT_TRUE(check.iconsEnabled);
    EXPECT_EQ("000000000000 000101", Flags(check.out));
    EXPECT_EQ("111111111111 000101", Flags(check.afterCheckAll));
    // Turning shell integration off disables both again; disabled boxes read as checked.
    check.in.ShellExt = 0;
    SetupOptionsToDialog(dialog, check.in);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CASCADED_MENU)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MENU_ICONS)));
    SetupOptions read;
    SetupOptionsFromDialog(dialog, read);
    EXPECT_EQ(1, read.MenuIcons);
    EnableDlgItem(dialog, IDC_MENU_ICONS, true);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MENU_ICONS)));
    DestroyWindow(dialog);
}

}  // namespace
