// The language library and the language file together: where messages come from, the path
// rule of the language file, and the direction decision.
#include "lang_fixture.h"
#include "lang/message_text.h"
#include "resource.h"

namespace {

std::string ProgramString(int id) {
    char text[256];
    text[0] = '\0';
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return text;
}

using LanguageLibraryTest = LanguageTest;

TEST_F(LanguageLibraryTest, LoadAndRelease) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_FALSE(g_extResource.IsLoaded());
    EXPECT_EQ(instance, ResourceModule);
    EXPECT_EQ(instance, ProgramInstance);
    EXPECT_EQ(ProgramString(IDS_UNINSTALL_TITLE), MessageText(IDS_UNINSTALL_TITLE));

    LoadLibraryFixture("kvolng_plain");
    ASSERT_TRUE(g_extResource.IsLoaded());
    EXPECT_NE(instance, ResourceModule);
    EXPECT_EQ(instance, ProgramInstance);
    EXPECT_NE(nullptr, FindResourceA(ResourceModule, "SETUPDLG", RT_DIALOG));

    g_extResource.Release();
    EXPECT_FALSE(g_extResource.IsLoaded());
    EXPECT_EQ(instance, ResourceModule);
    g_extResource.Release();
    EXPECT_EQ(instance, ResourceModule);

    // A path longer than the 1024-byte buffer is not cut into another folder's path.
    std::string folder = ScratchFolder("kvolng_plain");
    g_extResource.Load(instance, (folder + std::string(1100 - folder.size(), 'x')).c_str());
    EXPECT_FALSE(g_extResource.IsLoaded());
    EXPECT_EQ(instance, ResourceModule);
}

TEST_F(LanguageLibraryTest, MessagesFromLibraryThenFileThenProgram) {
    LoadLibraryFixture("kvolng_plain");
    // Library alone: its table first, the program's for what it lacks or spoils.
    EXPECT_STREQ("Uninstall Krelvo (library)", MessageText(IDS_UNINSTALL_TITLE));
    EXPECT_EQ(ProgramString(IDS_UNINSTALL_DONE), MessageText(IDS_UNINSTALL_DONE));
    EXPECT_EQ(ProgramString(IDS_DELETE_MANUALLY), MessageText(IDS_DELETE_MANUALLY));
    EXPECT_STREQ("Continue uninstalling Krelvo? (library)", MessageText(IDS_CONFIRM));

    // Library and file: the program's texts, translated by the file.
    LoadLanguage("messages.lng",
                 Entry('s', nullptr, ProgramString(IDS_UNINSTALL_DONE), "Uninstall complete") +
                 Entry('s', nullptr, ProgramString(IDS_DELETE_MANUALLY), "Delete %s by hand") +
                 Entry('s', nullptr, ProgramString(IDS_CANNOT_OPEN_LIST), "Cannot open %s%d"));
    EXPECT_EQ(ProgramString(IDS_UNINSTALL_TITLE), MessageText(IDS_UNINSTALL_TITLE));
    EXPECT_STREQ("Uninstall complete", MessageText(IDS_UNINSTALL_DONE));
    EXPECT_STREQ("Delete %s by hand", MessageText(IDS_DELETE_MANUALLY));
    EXPECT_EQ(ProgramString(IDS_CANNOT_OPEN_LIST), MessageText(IDS_CANNOT_OPEN_LIST));

    // Released: the program's table, still translated by the file.
    g_extResource.Release();
    EXPECT_EQ(ProgramString(IDS_UNINSTALL_TITLE), MessageText(IDS_UNINSTALL_TITLE));
    EXPECT_STREQ("Uninstall complete", MessageText(IDS_UNINSTALL_DONE));
    g_language.Unload();
    EXPECT_EQ(ProgramString(IDS_UNINSTALL_DONE), MessageText(IDS_UNINSTALL_DONE));
}

TEST_F(LanguageLibraryTest, FileBesideTheProgram) {
    std::string name = "kvotest-" + std::to_string(GetCurrentProcessId()) + ".lng";
    std::string path = TestFolder() + name;
    WriteBytes(path, kMarker + Entry('s', nullptr, ProgramString(IDS_UNINSTALL_DONE), "Done"));
    g_language.Load(name.c_str());
    EXPECT_TRUE(g_language.IsLoaded());
    EXPECT_STREQ("Done", MessageText(IDS_UNINSTALL_DONE));
    DeleteFileA(path.c_str());
    g_language.Load(name.c_str());
    EXPECT_FALSE(g_language.IsLoaded());
    EXPECT_EQ(ProgramString(IDS_UNINSTALL_DONE), MessageText(IDS_UNINSTALL_DONE));
}

TEST_F(LanguageLibraryTest, DirectionFromLibraryResourceOrFileEntry) {
    EXPECT_FALSE(g_language.IsRightToLeft());
    LoadLibraryFixture("kvolng_plain");
    g_language.Load((ScratchFolder("empty") + "none.lng").c_str());
    EXPECT_FALSE(g_language.IsRightToLeft());

    LoadLibraryFixture("kvolng_rtl");
    g_language.Load((ScratchFolder("empty") + "none.lng").c_str());
    EXPECT_FALSE(g_language.IsLoaded());
    EXPECT_TRUE(g_language.IsRightToLeft());
    // Decided once: releasing the library later does not turn it back.
    g_extResource.Release();
    EXPECT_TRUE(g_language.IsRightToLeft());

    LoadLanguage("rtl.lng", "50a17ae8=\"RTL\"\r\n");
    EXPECT_TRUE(g_language.IsRightToLeft());
    LoadLanguage("ltr.lng", "50a17ae8=\"LTR\"\r\n");
    EXPECT_FALSE(g_language.IsRightToLeft());
}

}  // namespace
