// The translators' tool and samples under Wine: a language file made by `lngtool template`
// with every text replaced is what the program looks up; the English library and the English
// language file make every dialog and message English, also under code page 1252; the
// right-to-left library mirrors every dialog.
#include <vector>

#include "lang/message_text.h"
#include "lang_fixture.h"
#include "resource.h"
#include "setup/common_dialog.h"
#include "test_helpers.h"

namespace {

const char* const dialogNames[] = {"SETUPDLG", "CONTEXTITEMS", "DONEDLG"};

const char* g_dialogName;

INT_PTR CALLBACK SampleDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HandleCommonDialogMessage(dialog, message, wParam, lParam, g_dialogName, 0);
    return message == WM_INITDIALOG;
}

HWND OpenDialog(const char* name) {
    g_dialogName = name;
    return CreateDialogParamA(ResourceModule, name, nullptr, SampleDialogProc, 0);
}

// Caption, then the text of every control, of a dialog opened and closed again.
std::vector<std::string> DialogTexts(const char* name) {
    std::vector<std::string> texts;
    HWND dialog = OpenDialog(name);
    EXPECT_NE(nullptr, dialog) << name << " " << GetLastError();
    if (!dialog)
        return texts;
    texts.push_back(WindowText(dialog));
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        texts.push_back(WindowText(c));
    DestroyWindow(dialog);
    return texts;
}

std::string ProgramString(int id) {
    char text[256] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return text;
}

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Runs the host build's lngtool with the arguments, the last of which is a Windows path; returns
// what it printed.
std::string Lngtool(const std::string& arguments, const std::string& windowsPath) {
    return uninstall_tests::RunUnixTool((std::string(KVO_LNGTOOL) + " " + arguments).c_str(), windowsPath);
}

// A language file made by lngtool template (extra arguments such as --texts), read back.
std::string MadeTemplate(const std::string& name, const std::string& arguments = "") {
    std::string path = ScratchFolder("samples") + name;
    std::string output = Lngtool("template " + arguments + " -o", path);
    EXPECT_EQ("", output);
    std::string bytes = uninstall_tests::ReadBytes(path);
    EXPECT_NE(std::string::npos, bytes.find("***messages***")) << "lngtool missing? build it with `make host`: "
                                                               << KVO_LNGTOOL;
    return bytes;
}

// Every entry's text gets "@" in front; scale and direction entries stay as they are.
std::string Marked(std::string bytes) {
    for (size_t at = bytes.find("=\""); at != std::string::npos; at = bytes.find("=\"", at + 3)) {
        if (bytes.compare(at + 2, 8, "100*100\"") != 0 && bytes.compare(at + 2, 4, "LTR\"") != 0)
            bytes.insert(at + 2, "@");
    }
    return bytes;
}

class TranslationSamples : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        richEdit = LoadLibraryA("riched32.dll");
    }
    void TearDown() override {
        if (richEdit)
            FreeLibrary(richEdit);
        LanguageTest::TearDown();
    }
    void UseLanguage(const std::string& name, const std::string& bytes) {
        std::string path = ScratchFolder("samples") + name;
        WriteBytes(path, bytes);
        g_language.Load(path.c_str());
        ASSERT_TRUE(g_language.IsLoaded());
    }
    HMODULE richEdit = nullptr;
};

TEST_F(TranslationSamples, TemplateKeysAreThoseTheProgramLooksUp) {
    std::vector<std::vector<std::string>> builtIn;
    for (const char* name : dialogNames)
        builtIn.push_back(DialogTexts(name));
    UseLanguage("marked.lng", Marked(MadeTemplate("template.lng")));
    for (int id = IDS_DISPLAY_NAME; id <= IDS_ALREADY_RUNNING; id++)
        EXPECT_EQ("@" + ProgramString(id), MessageText(id)) << id;
    for (size_t d = 0; d < 3; d++) {
        std::vector<std::string> texts = DialogTexts(dialogNames[d]);
        ASSERT_EQ(builtIn[d].size(), texts.size());
        for (size_t i = 0; i < texts.size(); i++) {
            if (!builtIn[d][i].empty()) {
                EXPECT_EQ("@" + builtIn[d][i], texts[i]) << dialogNames[d] << " " << i;
            }
        }
    }
}

TEST_F(TranslationSamples, ProgramShowsTheReplacedTexts) {
    std::string folder = ScratchFolder("marked-program");
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), (folder + "uninstall.exe").c_str(), FALSE));
    WriteBytes(folder + "uninstall.lng", Marked(MadeTemplate("program.lng")));
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start("\"" + folder + "uninstall.exe\""));
        HWND box = program.WaitForDialog(20000);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("@" + ProgramString(IDS_UNINSTALL_TITLE), WindowText(box));
        EXPECT_EQ("@" + ProgramString(IDS_CONFIRM), ItemText(box, 0xFFFF));
        PressButton(box, IDNO);
        EXPECT_TRUE(program.Wait(20000));
    }
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start("\"" + folder + "uninstall.exe\" /setup"));
        HWND setup = program.WaitForDialog(20000);
        ASSERT_NE(nullptr, setup);
        EXPECT_EQ("@" + Ansi("Krelvo 安裝程式"), WindowText(setup));
        EXPECT_EQ("@" + Ansi("確定"), ItemText(setup, IDOK));
        EXPECT_EQ("@" + Ansi("全選(&A)"), ItemText(setup, IDC_SELECT_ALL));
        PressButton(setup, IDCANCEL);
        EXPECT_TRUE(program.Wait(20000));
    }
    DeleteFileA((folder + "uninstall.lng").c_str());
    DeleteFileA((folder + "uninstall.exe").c_str());
}

// The English library alone, and the program's own resources with the English language file
// made from the library's script, give the same English dialogs and messages.
void ExpectEnglish() {
    for (int id = IDS_DISPLAY_NAME; id <= IDS_ALREADY_RUNNING; id++) {
        std::string text = MessageText(id);
        EXPECT_TRUE(!text.empty() && IsAscii(text)) << id << " " << text;
    }
    EXPECT_STREQ("Uninstall Krelvo", MessageText(IDS_UNINSTALL_TITLE));
    EXPECT_STREQ("You must delete %s manually", MessageText(IDS_DELETE_MANUALLY));
    for (const char* name : dialogNames) {
        for (const std::string& text : DialogTexts(name))
            EXPECT_TRUE(IsAscii(text)) << name << " " << text;
    }
    std::vector<std::string> setup = DialogTexts("SETUPDLG");
    ASSERT_FALSE(setup.empty());
    EXPECT_EQ("Krelvo Setup", setup[0]);
}

TEST_F(TranslationSamples, EnglishLibraryAndEnglishFile) {
    LoadLibraryFixture("kvolng_english");
    ExpectEnglish();
    HWND done = OpenDialog("DONEDLG");
    ASSERT_NE(nullptr, done);
    EXPECT_NE(0, GetWindowLongA(GetDlgItem(done, IDC_INSTALL_FOLDER), GWL_STYLE) & SS_NOPREFIX);
    DestroyWindow(done);
    std::vector<std::vector<std::string>> fromLibrary;
    for (const char* name : dialogNames)
        fromLibrary.push_back(DialogTexts(name));
    g_extResource.Release();

    std::string path = KVO_SOURCE_DIR "/samples/english/kvolng.rc";
    UseLanguage("english.lng", MadeTemplate("english.lng", "--texts " + path));
    ExpectEnglish();
    for (size_t d = 0; d < 3; d++)
        EXPECT_EQ(fromLibrary[d], DialogTexts(dialogNames[d])) << dialogNames[d];
    // The shipped language file passes the check.
    EXPECT_EQ("", Lngtool("check", ScratchFolder("samples") + "english.lng"));
}

TEST_F(TranslationSamples, RightToLeftLibraryMirrorsEveryDialog) {
    LoadLibraryFixture("kvolng_rtl_sample");
    g_language.Load((ScratchFolder("empty") + "none.lng").c_str());
    ASSERT_TRUE(g_language.IsRightToLeft());
    for (const char* name : dialogNames) {
        HWND dialog = OpenDialog(name);
        ASSERT_NE(nullptr, dialog) << name;
        EXPECT_NE(0, GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) << name;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            EXPECT_NE(0, GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) << name << " " << WindowText(c);
        DestroyWindow(dialog);
    }
}

// Run in a child process whose locale gives ANSI code page 1252 (see the next test).
TEST_F(TranslationSamples, EnglishLibraryInCodePage1252) {
    if (!getenv("KVO_EXPECT_ACP"))
        GTEST_SKIP() << "runs as a child of EnglishLibraryUnderWesternCodePage";
    ASSERT_EQ(1252u, GetACP());
    LoadLibraryFixture("kvolng_english");
    ExpectEnglish();
}

TEST(TranslationSamplesProcess, EnglishLibraryUnderWesternCodePage) {
    // The locale that gives code page 1252.
    std::string output = uninstall_tests::RunTestInChild("LANG=C.UTF-8 LC_ALL=C.UTF-8 KVO_EXPECT_ACP=1252",
                                                         "TranslationSamples.EnglishLibraryInCodePage1252");
    EXPECT_NE(std::string::npos, output.find("[  PASSED  ] 1 test")) << output;
    EXPECT_NE(std::string::npos, output.find("exit=0")) << output;
}

}  // namespace
