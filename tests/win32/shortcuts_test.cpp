// Shortcuts and program groups, written by the shell's link object into the prefix and read
// back by lnkinfo, a link parser written independently of this program.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include <gtest/gtest.h>

#include "driver/program.h"
#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "shell/shell.h"
#include "shell/shortcuts.h"
#include "test_helpers.h"
#include "test_support.h"

using namespace uninstall_tests;

namespace {

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}

// lnkinfo's report of a link file.
std::string LinkReport(const std::string& linkPath) {
    return RunUnixTool("lnkinfo", linkPath);
}

// Help and manual link names: the built-in texts 5102 and 5103 in Big5.
const char HelpLink[] = "Krelvo \xBB\xA1\xA9\xFA.lnk";
const char ManualLink[] = "KVO \xA9\x52\xA5\x4F\xA5\xAD\xA5\x78\xBE\xDE\xA7\x40\xA4\xE2\xA5\x55.lnk";

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override {
        SetupOptions none = {};
        SetShortcuts(none, nullptr);
        CoUninitialize();
    }
};

TEST_F(Shortcuts, CreatedWhereChosenAndReadBackByLnkinfo) {
    std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Krelvo.lnk";
    std::string startMenu = SpecialFolder(CSIDL_STARTMENU) + "\\Krelvo.lnk";
    std::string group = SpecialFolder(CSIDL_PROGRAMS) + "\\Krelvo";
    std::string common = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Krelvo";
    ASSERT_NE(group, common);

    SetupOptions options = {};
    options.Desktop = options.StartMenu = options.Programs = 1;
    char groupPath[1024] = "";
    SetShortcuts(options, groupPath);
    EXPECT_EQ(group, groupPath);

    std::string folder = TestFolder();
    const std::string links[][2] = {
        {desktop, "Krelvo.exe"},
        {startMenu, "Krelvo.exe"},
        {group + "\\Krelvo.lnk", "Krelvo.exe"},
        {group + "\\" + HelpLink, "Krelvo.hlp"},
        {group + "\\" + ManualLink, "Kvo.txt"},
    };
    for (const auto& link : links) {
        ASSERT_TRUE(PathExists(link[0])) << link[0];
        std::string report = LinkReport(link[0]);
        EXPECT_NE(std::string::npos, report.find("Description\t\t\t: Krelvo\n")) << report;
        // lnkinfo shows the target's path as the link stores it.
        std::string target = folder + link[1];
        EXPECT_NE(std::string::npos, report.find(": " + target + "\n")) << target << "\n" << report;
    }
    // The all-users group exists on the NT family only.
    EXPECT_EQ(IsNtPrefix(), PathExists(common + "\\Krelvo.lnk"));
    EXPECT_EQ(IsNtPrefix(), PathExists(common + "\\" + HelpLink));

    // Setting up again overwrites; the flags off remove everything, user files in groups too.
    SetShortcuts(options, nullptr);
    ASSERT_TRUE(WriteBytes(group + "\\notes.txt", "mine"));
    SetupOptions none = {};
    strcpy(groupPath, "kept");
    SetShortcuts(none, groupPath);
    EXPECT_STREQ("kept", groupPath);
    EXPECT_FALSE(PathExists(desktop));
    EXPECT_FALSE(PathExists(startMenu));
    EXPECT_FALSE(PathExists(group));
    EXPECT_FALSE(PathExists(common));
}

TEST_F(Shortcuts, LanguageFileRenamesTheHelpAndManualLinks) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string languageFile = std::string(temp) + "kvo-links.lng";
    char helpKey[9], manualKey[9];
    // Keys of the built-in texts 5102 and 5103 (Big5), as string-table messages.
    MakeLookupKey(helpKey, 's', nullptr, "Krelvo \xBB\xA1\xA9\xFA");
    MakeLookupKey(manualKey, 's', nullptr, "KVO \xA9\x52\xA5\x4F\xA5\xAD\xA5\x78\xBE\xDE\xA7\x40\xA4\xE2\xA5\x55");
    ASSERT_TRUE(WriteBytes(languageFile, std::string("; links\r\n***messages***\r\n") + helpKey +
                                             "=\"Krelvo Help\"\r\n" + manualKey + "=\"KVO\\\\..\\\\Manual/x\"\r\n"));
    g_language.LoadFile(languageFile.c_str());
    ASSERT_TRUE(g_language.IsLoaded());

    SetupOptions options = {};
    options.Programs = 1;
    SetShortcuts(options, nullptr);
    g_language.Unload();
    DeleteFileA(languageFile.c_str());

    std::string group = SpecialFolder(CSIDL_PROGRAMS) + "\\Krelvo";
    EXPECT_TRUE(PathExists(group + "\\Krelvo.lnk"));
    EXPECT_TRUE(PathExists(group + "\\Krelvo Help.lnk"));
    // A divider in a translation cannot move the link out of the group.
    EXPECT_TRUE(PathExists(group + "\\KVO_.._Manual_x.lnk"));
    EXPECT_FALSE(PathExists(group + "\\" + HelpLink));
    EXPECT_NE(std::string::npos, LinkReport(group + "\\KVO_.._Manual_x.lnk").find("Kvo.txt\n"));
}

TEST_F(Shortcuts, EachFlagOnItsOwn) {
    std::string desktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Krelvo.lnk";
    std::string startMenu = SpecialFolder(CSIDL_STARTMENU) + "\\Krelvo.lnk";
    std::string group = SpecialFolder(CSIDL_PROGRAMS) + "\\Krelvo";
    SetupOptions options = {};
    options.StartMenu = 1;
    char groupPath[1024] = "";
    SetShortcuts(options, groupPath);
    EXPECT_FALSE(PathExists(desktop));
    EXPECT_TRUE(PathExists(startMenu));
    EXPECT_FALSE(PathExists(group));
    EXPECT_STREQ("", groupPath);

    options.StartMenu = 0;
    options.Desktop = 1;
    SetShortcuts(options, groupPath);
    EXPECT_TRUE(PathExists(desktop));
    EXPECT_FALSE(PathExists(startMenu));
}

TEST_F(Shortcuts, LinkOperations) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    std::string folder = std::string(temp) + "kvo links 100%";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string link = folder + "\\a.lnk";
    EXPECT_TRUE(CreateShortcut("C:\\x\\Krelvo.exe", link.c_str(), "Krelvo"));
    EXPECT_TRUE(PathExists(link));
    // A link path of 259 characters (MAX_PATH with its terminator) is written; 260 characters
    // do not convert: no link. Built from short folders, which every file system takes.
    std::string deep = folder;
    while (deep.size() < 200) {
        deep += "\\" + std::string(30, 'd');
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    std::string longest = deep + "\\" + std::string(259 - deep.size() - 5, 'l') + ".lnk";
    ASSERT_EQ(259u, longest.size());
    EXPECT_TRUE(CreateShortcut("C:\\x\\Krelvo.exe", longest.c_str(), "Krelvo"));
    EXPECT_TRUE(PathExists(longest));
    std::string tooLong = deep + "\\" + std::string(260 - deep.size() - 5, 'l') + ".lnk";
    ASSERT_EQ(260u, tooLong.size());
    EXPECT_FALSE(CreateShortcut("C:\\x\\Krelvo.exe", tooLong.c_str(), "Krelvo"));
    EXPECT_FALSE(PathExists(tooLong));

    char desktop[1024];
    ASSERT_TRUE(GetDesktopFolder(desktop));
    EXPECT_EQ(SpecialFolder(CSIDL_DESKTOPDIRECTORY), desktop);

    char path[1024 + 1];
    strcpy(path, (folder + "\\nested").c_str());
    CreateDirectoryA(path, nullptr);
    WriteBytes(std::string(path) + "\\f.txt", "x");
    strcpy(path, folder.c_str());
    EXPECT_TRUE(RemoveFolder(path));
    EXPECT_FALSE(PathExists(folder));
    EXPECT_FALSE(RemoveFolder(path));
}

}  // namespace
