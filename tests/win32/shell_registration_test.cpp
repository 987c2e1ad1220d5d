// Shell extension registration and removal, the program classes and the App Paths entry.
#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "reg_dump.h"
#include "test_support.h"
#include "resource.h"
#include "setup/setup_dialogs.h"
#include "shell/capabilities.h"
#include "shell/shell.h"

namespace {

const std::string Clsid = "{5A3C9E10-4B7D-11D2-8F21-C3D9A0B6E417}";
const char* const Approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const char* const AppPath = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Krelvo.exe";
const char* const Registered = "Software\\RegisteredApplications";
const std::string Capabilities = "Software\\Classes\\Krelvo\\Capabilities";
const std::string PreviousCapabilities = "Software\\Krelvo\\Capabilities";

const std::vector<std::string> ExtensionTrees = {
    "CLSID\\" + Clsid, "Krelvo", "Krelvo.ZIP", "exefile\\shellex\\PropertySheetHandlers\\" + Clsid,
    "*\\shellex\\ContextMenuHandlers\\Krelvo", "Folder\\shellex\\ContextMenuHandlers\\Krelvo",
    "Folder\\shellex\\DragDropHandlers\\Krelvo", "Drive\\shellex\\DragDropHandlers\\Krelvo",
    "Directory\\shellex\\ContextMenuHandlers\\Krelvo", "Directory\\shellex\\DragDropHandlers\\Krelvo",
};

std::string Hex(const std::string& text) {
    std::string hex;
    for (unsigned char c : text + std::string(1, '\0')) {
        char two[4];
        snprintf(two, sizeof(two), "%02X", c);
        hex += two;
    }
    return hex;
}

std::string Message(int id) {
    char text[256];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return std::string(text, length > 0 ? length : 0);
}

std::string Key(const std::string& path) { return "K " + path + "\n"; }
std::string Default(const std::string& path, const std::string& text) {
    return "V " + path + "||1|" + Hex(text) + "\n";
}

SetupOptions WithShellExt(bool on) {
    SetupOptions options;
    memset(&options, 0, sizeof(options));
    options.ShellExt = on ? 1 : 0;
    return options;
}

class ShellExtension : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& tree : ExtensionTrees)
            WipeRegTree(HKEY_CLASSES_ROOT, tree);
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Approved, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, Clsid.c_str());
            RegCloseKey(key);
        }
        library = TestFolder() + "kvoext.dll";
        DeleteFileA(library.c_str());
    }
    void TearDown() override { SetUp(); }

    std::string Registered() { return SortLines(DumpRegTrees(HKEY_CLASSES_ROOT, ExtensionTrees)); }
    std::string library;
};

// The kinds of handler by which the shell finds our extension for a class: a handler key named
// by our CLSID or one whose default value names it, and a drop handler by its default value.
std::string OurHandlers(const std::string& cls) {
    const std::string shellex = cls + "\\shellex\\";
    std::string kinds = GetRegText(HKEY_CLASSES_ROOT, shellex + "DropHandler", "") == Clsid ? "Drop " : "";
    for (const char* kind : {"ContextMenuHandlers", "PropertySheetHandlers", "DragDropHandlers"}) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, (shellex + kind).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            continue;
        char name[256];
        bool ours = false;
        for (DWORD i = 0; !ours && RegEnumKeyA(key, i, name, sizeof(name)) == ERROR_SUCCESS; i++)
            ours = name == Clsid || GetRegText(HKEY_CLASSES_ROOT, shellex + kind + "\\" + name, "") == Clsid;
        RegCloseKey(key);
        if (ours)
            kinds += std::string(kind) + " ";
    }
    return kinds;
}

// What the shell offers of our extension: on archives of ours their menu, property sheet and
// drop target; on any file the menu; on folders and drives the menu and drag-and-drop menu;
// property sheets of programs. Empty for every class when nothing is registered.
void ExpectHandlers(bool registered) {
    const std::pair<const char*, const char*> expected[] = {
        {"Krelvo", "Drop ContextMenuHandlers PropertySheetHandlers "},
        {"Krelvo.ZIP", "Drop ContextMenuHandlers PropertySheetHandlers "},
        {"*", "ContextMenuHandlers "},
        {"Folder", "ContextMenuHandlers DragDropHandlers "},
        {"Directory", "ContextMenuHandlers DragDropHandlers "},
        {"Drive", "DragDropHandlers "},
        {"exefile", "PropertySheetHandlers "}};
    for (const auto& row : expected)
        EXPECT_EQ(registered ? row.second : "", OurHandlers(row.first)) << row.first;
}

const char OtherHandler[] = "*\\shellex\\ContextMenuHandlers\\Other";

TEST_F(ShellExtension, RegistersWhereTheShellLooksAndRemovesOnlyOurs) {
    WriteFileBytes(library, "MZ");
    SetRegText(HKEY_CLASSES_ROOT, OtherHandler, "", "{00000000-1111-2222-3333-444444444444}");
    SetShellExtension(WithShellExt(true));
    ExpectHandlers(true);
    const std::string server = "CLSID\\" + Clsid + "\\InProcServer32";
    EXPECT_EQ(library, GetRegText(HKEY_CLASSES_ROOT, server, ""));
    EXPECT_EQ("Apartment", GetRegText(HKEY_CLASSES_ROOT, server, "ThreadingModel"));
    EXPECT_EQ("Krelvo shell extension", GetRegText(HKEY_LOCAL_MACHINE, Approved, Clsid.c_str()));

    // Removed: the shell finds our extension nowhere, another program's handler stays.
    SetShellExtension(WithShellExt(false));
    ExpectHandlers(false);
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, "CLSID\\" + Clsid));
    EXPECT_EQ("<none>", GetRegText(HKEY_LOCAL_MACHINE, Approved, Clsid.c_str()));
    EXPECT_EQ("{00000000-1111-2222-3333-444444444444}", GetRegText(HKEY_CLASSES_ROOT, OtherHandler, ""));

    // Registering again over what removal left.
    SetShellExtension(WithShellExt(true));
    ExpectHandlers(true);
    EXPECT_EQ(library, GetRegText(HKEY_CLASSES_ROOT, server, ""));
    WipeRegTree(HKEY_CLASSES_ROOT, OtherHandler);
}

TEST_F(ShellExtension, WithoutTheLibraryNoServerEntries) {
    SetShellExtension(WithShellExt(true));
    ExpectHandlers(true);
    EXPECT_EQ("Krelvo shell extension", GetRegText(HKEY_LOCAL_MACHINE, Approved, Clsid.c_str()));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, "CLSID\\" + Clsid));
    // A server registered earlier is not removed by registering without the library.
    WriteFileBytes(library, "MZ");
    SetShellExtension(WithShellExt(true));
    DeleteFileA(library.c_str());
    SetShellExtension(WithShellExt(true));
    EXPECT_EQ(library, GetRegText(HKEY_CLASSES_ROOT, "CLSID\\" + Clsid + "\\InProcServer32", ""));
}

TEST_F(ShellExtension, RemovingWhatWasNeverRegisteredCreatesNothing) {
    SetShellExtension(WithShellExt(false));
    EXPECT_EQ("", Registered());
    EXPECT_EQ("<none>", GetRegText(HKEY_LOCAL_MACHINE, Approved, Clsid.c_str()));
}

class ProgramClasses : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tree : {"Krelvo", "Krelvo.ZIP", "Krelvo.REV", ".rev"})
            WipeRegTree(HKEY_CLASSES_ROOT, tree);
        WipeRegTree(HKEY_LOCAL_MACHINE, AppPath);
        WipeRegTree(HKEY_LOCAL_MACHINE, Capabilities);
        WipeRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo");
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Registered, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "Krelvo");
            RegCloseKey(key);
        }
    }
    void TearDown() override { SetUp(); }
};

TEST_F(ProgramClasses, TenRowsWithOpenCommandsIconsAndDescriptions) {
    const std::string program = TestFolder() + "Krelvo.exe";
    RegisterProgramClasses(program.c_str());
    const std::string open = "\"" + program + "\" \"%1\"";
    // The descriptions are the string table's messages (no language file here).
    const std::string archive = Message(IDS_ARCHIVE_CLASS);
    const std::string zip = Message(IDS_ZIP_CLASS);
    const std::string volume = Message(IDS_RECOVERY_CLASS);
    ASSERT_EQ(0u, archive.find("Krelvo "));
    std::string expected;
    for (const auto& row : {std::make_pair(std::string("Krelvo"), archive),
                            std::make_pair(std::string("Krelvo.ZIP"), zip),
                            std::make_pair(std::string("Krelvo.REV"), volume)}) {
        const std::string& cls = row.first;
        expected += Key(cls) + Default(cls, row.second) + Key(cls + "\\DefaultIcon") +
                    Default(cls + "\\DefaultIcon", program + (cls == "Krelvo.REV" ? ",1" : ",0")) +
                    Key(cls + "\\shell") + Key(cls + "\\shell\\open") +
                    Key(cls + "\\shell\\open\\command") + Default(cls + "\\shell\\open\\command", open);
    }
    expected += Key(".rev") + Default(".rev", "Krelvo.REV");
    // From Vista on the Default Programs capabilities too: below the class, where the 32-bit
    // and 64-bit views share the machine's key, and named by RegisteredApplications.
    const bool vista = Family() == "nt";
    if (vista) {
        expected += Key("Krelvo\\Capabilities");
        for (const char* name : {"ApplicationName", "ApplicationDescription"})
            expected += "V Krelvo\\Capabilities|" + std::string(name) + "|1|" + Hex(Message(IDS_DISPLAY_NAME)) + "\n";
    }
    EXPECT_EQ(SortLines(expected), SortLines(DumpRegTrees(HKEY_CLASSES_ROOT,
                                                          {"Krelvo", "Krelvo.ZIP", "Krelvo.REV", ".rev"})));
    EXPECT_EQ(vista ? Capabilities : "<none>", GetRegText(HKEY_LOCAL_MACHINE, Registered, "Krelvo"));
}

// The previous release kept its capabilities below the product's machine key. Setup takes
// that key back once the entry names the new one, and so does uninstall (a setup that never
// got so far), each leaving the product key if it holds anything else.
TEST_F(ProgramClasses, ThePreviousReleasesCapabilitiesAreTakenBack) {
    if (Family() != "nt")
        GTEST_SKIP() << "no Default Programs before Vista";
    const auto seedPrevious = [] {
        SetRegText(HKEY_LOCAL_MACHINE, PreviousCapabilities, "ApplicationName", "Krelvo");
        SetRegText(HKEY_LOCAL_MACHINE, PreviousCapabilities + "\\FileAssociations", ".kvo", "Krelvo");
        SetRegText(HKEY_LOCAL_MACHINE, Registered, "Krelvo", PreviousCapabilities);
    };
    seedPrevious();
    RegisterProgramClasses((TestFolder() + "Krelvo.exe").c_str());
    EXPECT_EQ(Capabilities, GetRegText(HKEY_LOCAL_MACHINE, Registered, "Krelvo"));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Krelvo"));

    seedPrevious();
    SetRegText(HKEY_LOCAL_MACHINE, "Software\\Krelvo", "Other", "kept");
    RemoveCapabilities();
    EXPECT_EQ("<none>", GetRegText(HKEY_LOCAL_MACHINE, Registered, "Krelvo"));
    EXPECT_EQ("", DumpRegTree(HKEY_LOCAL_MACHINE, Capabilities));
    EXPECT_EQ("K Software\\Krelvo\nV Software\\Krelvo|Other|1|" + Hex("kept") + "\n",
              DumpRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo"));
}

TEST_F(ProgramClasses, AppPathTakesTheCurrentDirectory) {
    char previous[1024];
    GetCurrentDirectoryA(sizeof(previous), previous);
    std::string spaced = TestFolder() + "App Path Folder";
    CreateDirectoryA(spaced.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryA(spaced.c_str()));
    RegisterAppPath((TestFolder() + "Krelvo.exe").c_str());
    SetCurrentDirectoryA(previous);
    RemoveDirectoryA(spaced.c_str());
    EXPECT_EQ(SortLines(Key(AppPath) + Default(AppPath, TestFolder() + "Krelvo.exe") + "V " +
                        AppPath + "|Path|1|" + Hex(spaced) + "\n"),
              DumpRegTree(HKEY_LOCAL_MACHINE, AppPath));
}

// While it lives, this process's own file name (as GetModuleFileNameA reports it) is 1100
// characters long, so no path of a file beside the program can be formed.
class OverlongProgramPath {
public:
    OverlongProgramPath() : path_(1100, L'p') {
        PEB_LDR_DATA* loader = NtCurrentTeb()->ProcessEnvironmentBlock->Ldr;
        LIST_ENTRY* first = loader->InMemoryOrderModuleList.Flink;  // the program itself
        name_ = &CONTAINING_RECORD(first, LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks)->FullDllName;
        saved_ = *name_;
        path_.replace(0, 3, L"C:\\");
        name_->Buffer = &path_[0];
        name_->Length = name_->MaximumLength = static_cast<USHORT>(path_.size() * sizeof(WCHAR));
    }
    ~OverlongProgramPath() { *name_ = saved_; }

private:
    std::wstring path_;
    UNICODE_STRING* name_;
    UNICODE_STRING saved_;
};

TEST_F(ProgramClasses, WithoutAProgramPathNothingIsTakenOrNamed) {
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip");
    SetupOptions options = {};
    memset(options.Associate, 1, sizeof(options.Associate));
    {
        OverlongProgramPath overlong;
        char probe[1024];
        ASSERT_EQ(sizeof(probe), GetModuleFileNameA(nullptr, probe, sizeof(probe)));
        ApplySetupOptions(options, nullptr);
    }
    // No archive would open with anything: no extension is taken, no class or App Paths entry.
    EXPECT_EQ("OtherZip", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ".kvo", ""));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Krelvo\\Setup\\.zip"));
    EXPECT_EQ("", DumpRegTrees(HKEY_CLASSES_ROOT, {"Krelvo", "Krelvo.ZIP", "Krelvo.REV", ".rev"}));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, AppPath));
    WipeRegTree(HKEY_CLASSES_ROOT, ".zip");
}

}  // namespace
