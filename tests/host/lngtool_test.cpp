// lngtool: texts read from the program's resource script, keys in a code page, templates that
// the program's reader reads back as written, and the checker's findings on faulty files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>

#include <string>
#include <vector>

#include "lang/language_resources.h"
#include "language_test_util.h"
#include "lngtool.h"

namespace {

const char* const programScript = KVO_SOURCE_DIR "/src/resources/uninstall.rc";
const char* const englishScript = KVO_SOURCE_DIR "/samples/english/kvolng.rc";

std::vector<KeyedText> ProgramTexts(int codePageNumber, std::string* warnings = nullptr) {
    CodePage codePage;
    std::string error;
    EXPECT_TRUE(OpenCodePage(codePageNumber, &codePage, &error)) << error;
    std::vector<TextItem> items;
    EXPECT_TRUE(ReadResourceScript(programScript, &items, &error)) << error;
    std::string ignored;
    return MakeKeyedTexts(items, codePage, warnings ? warnings : &ignored);
}

// The text at a place; byPlace compares controls without their ids.
const KeyedText* Find(const std::vector<KeyedText>& texts, const std::string& context, const std::string& what,
                      bool byPlace = false) {
    for (const KeyedText& k : texts) {
        if (k.item.context == context &&
            (byPlace ? k.item.what.substr(0, k.item.what.find(" (")) : k.item.what) == what)
            return &k;
    }
    return nullptr;
}

CodePage Big5() {
    CodePage codePage;
    std::string error;
    OpenCodePage(950, &codePage, &error);
    return codePage;
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    EXPECT_NE(nullptr, f) << path;
    int c;
    while (f && (c = fgetc(f)) != EOF)
        bytes.push_back(static_cast<char>(c));
    if (f)
        fclose(f);
    return bytes;
}

// UTF-8 (no characters beyond U+FFFF) as UTF-16LE with its byte order mark.
std::string Utf16(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        unsigned c = static_cast<unsigned char>(utf8[i]);
        int n = c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        c &= n == 3 ? 0x0F : n == 2 ? 0x1F : 0x7F;
        for (int k = 1; k < n; k++)
            c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
        i += n;
    }
    return out;
}

std::string ScriptError(const std::string& name, const std::string& bytes) {
    std::vector<TextItem> items;
    std::string error;
    EXPECT_FALSE(ReadResourceScript(WriteTestFile(name, bytes).c_str(), &items, &error)) << name;
    return error;
}

TEST(LngtoolTexts, ScriptReadAsTheResourceCompilerStoresIt) {
    std::vector<KeyedText> texts = ProgramTexts(950);
    // The direction and scale keys every translator needs.
    ASSERT_NE(nullptr, Find(texts, "LTR", "direction"));
    EXPECT_STREQ("50a17ae8", Find(texts, "LTR", "direction")->key);
    ASSERT_NE(nullptr, Find(texts, "SETUPDLG", "scale"));
    EXPECT_STREQ("9b889d24", Find(texts, "SETUPDLG", "scale")->key);
    // String ids resolved through the included header; texts in Big5.
    const KeyedText* title = Find(texts, "", "string 5104");
    ASSERT_NE(nullptr, title);
    EXPECT_EQ("\xB8\xD1\xB0\xA3\xA6\x77\xB8\xCB Krelvo", title->bytes);
    EXPECT_EQ(Key('s', nullptr, title->bytes.c_str()), title->key);
    int strings = 0;
    for (const KeyedText& k : texts)
        strings += k.item.kind == 's';
    EXPECT_EQ(17, strings);
    // The script's escapes: \\ is one backslash, \n a line feed.
    const KeyedText* folder = Find(texts, "CONTEXTITEMS", "control 4 (103)");
    ASSERT_NE(nullptr, folder);
    EXPECT_NE(std::string::npos, folder->item.text.find("<\xE8\xB3\x87\xE6\x96\x99\xE5\xA4\xBE\\(&E)>"));
    EXPECT_EQ(std::string::npos, folder->item.text.find("\\\\"));
    const KeyedText* explanation = Find(texts, "SETUPDLG", "control 27 (5120)");
    ASSERT_NE(nullptr, explanation);
    EXPECT_NE(std::string::npos, explanation->bytes.find("\n\n   "));
    // Controls with empty texts are not looked up by the program: not listed (their key would
    // be the scale entry's). Only the three dialogs count.
    for (const KeyedText& k : texts) {
        EXPECT_TRUE(!k.item.text.empty() || k.item.what == "scale") << k.item.what;
        EXPECT_NE("RTL", k.item.context);
    }
}

// The program's script saved as Visual Studio saves scripts (UTF-16LE with its byte order mark),
// and as UTF-8 with a mark: the same texts, its #includes read next to it. A NUL byte is an error
// with its line, in either encoding, not a word that never ends.
TEST(LngtoolTexts, ScriptEncodingsAndNulBytes) {
    std::vector<TextItem> expected, items;
    std::string error;
    ASSERT_TRUE(ReadResourceScript(programScript, &expected, &error)) << error;
    const char* const parts[] = {"uninstall.rc", "setup_dialog.rc", "context_items_dialog.rc", "done_dialog.rc",
                                 "resource.h"};
    for (int utf16 = 0; utf16 < 2; utf16++) {
        std::string folder = "script" + std::to_string(utf16);
        mkdir((::testing::TempDir() + folder).c_str(), 0700);
        for (const char* part : parts) {
            std::string bytes = ReadFile(KVO_SOURCE_DIR "/src/resources/" + std::string(part));
            WriteTestFile(folder + "/" + part, utf16 ? Utf16(bytes) : "\xEF\xBB\xBF" + bytes);
        }
        items.clear();
        ASSERT_TRUE(ReadResourceScript((::testing::TempDir() + folder + "/uninstall.rc").c_str(), &items, &error))
                << error;
        ASSERT_EQ(expected.size(), items.size()) << folder;
        for (size_t i = 0; i < items.size(); i++) {
            EXPECT_EQ(expected[i].what, items[i].what) << folder;
            EXPECT_EQ(expected[i].text, items[i].text) << folder << " " << items[i].what;
        }
    }
    std::string script = "STRINGTABLE\nBEGIN\n  1 \"a\"\n";
    EXPECT_NE(std::string::npos, ScriptError("nul.rc", script + std::string("  2 x\0y\nEND\n", 10)).find("nul.rc:4: NUL byte"));
    EXPECT_NE(std::string::npos, ScriptError("nul16.rc", Utf16(script + "  2 \"\xE5\xA3\x93\"\n") + std::string("\0\0", 2))
                                         .find("nul16.rc:5: NUL byte"));
    // UTF-16LE without its mark: NUL bytes from the first character on.
    EXPECT_NE(std::string::npos, ScriptError("nobom.rc", Utf16(script).substr(2)).find("nobom.rc:1: NUL byte"));
    EXPECT_NE(std::string::npos, ScriptError("odd.rc", Utf16(script) + "E").find("odd.rc:4: "));
    EXPECT_NE(std::string::npos, ScriptError("surrogate.rc", Utf16(script) + std::string("\x00\xD8" "E\0", 4)).find("surrogate.rc:4: "));
}

TEST(LngtoolTexts, OtherCodePagesAndFaults) {
    std::string warnings, error;
    std::vector<KeyedText> texts = ProgramTexts(1252, &warnings);
    // Characters code page 1252 lacks become '?', as the system's conversion makes them.
    EXPECT_EQ("???? Krelvo", Find(texts, "", "string 5104")->bytes);
    EXPECT_NE(std::string::npos, warnings.find("string 5104"));
    EXPECT_TRUE(Find(texts, "", "string 5104")->keyKnown);
    // Where Windows may put a look-alike (best fit: "，" becomes ","), iconv's '?' is not what the
    // program sees: no key is claimed, in the listing or the template, and the warning says who
    // gives the right one.
    const KeyedText* firstTime = Find(texts, "DONEDLG", "control 5", true);
    ASSERT_NE(nullptr, firstTime);
    EXPECT_FALSE(firstTime->keyKnown);
    EXPECT_NE(std::string::npos, warnings.find("DONEDLG " + firstTime->item.what + ", which Windows may turn into "
                                               "look-alikes: this tool cannot compute the key")) << warnings;
    EXPECT_EQ(std::string::npos, warnings.find("DONEDLG " + firstTime->item.what + "; the program sees")) << warnings;
    EXPECT_NE(std::string::npos, warnings.find("lngtool.exe keys --cp 1252")) << warnings;
    EXPECT_FALSE(Find(texts, "SETUPDLG", "control 27 (5120)")->keyKnown);
    CodePage western;
    ASSERT_TRUE(OpenCodePage(1252, &western, &error));
    EXPECT_EQ(std::string::npos, KeysListing(texts).find(firstTime->key));
    EXPECT_NE(std::string::npos, KeysListing(texts).find("-------- $ DONEDLG"));
    EXPECT_EQ(std::string::npos, MakeTemplate(texts, nullptr, western).find(firstTime->key));
    // Lead bytes: Big5 from 0x81 to 0xFE (as Windows has them), none in 1252 (from iconv).
    CodePage big5 = Big5();
    EXPECT_TRUE(big5.multiByte);
    EXPECT_TRUE(big5.lead[0x81] && big5.lead[0xFE] && big5.lead[0xA5]);
    EXPECT_FALSE(big5.lead[0x80] || big5.lead[0x5C] || big5.lead[0xFF]);
    CodePage latin;
    ASSERT_TRUE(OpenCodePage(1252, &latin, &error));
    EXPECT_FALSE(latin.multiByte);
    EXPECT_FALSE(OpenCodePage(12345, &latin, &error));
    std::vector<TextItem> items;
    EXPECT_FALSE(ReadResourceScript("/nonexistent/x.rc", &items, &error));
    EXPECT_NE(std::string::npos, error.find("/nonexistent/x.rc"));
}

// What the program's reader makes of the template: every key found, every text as built in,
// including texts with trail bytes 0x5C, backslashes and line feeds.
TEST(LngtoolTemplate, ReadBackByTheProgramsReader) {
    std::vector<KeyedText> texts = ProgramTexts(950);
    CodePage codePage = Big5();
    std::string path = WriteTestFile("template.lng", MakeTemplate(texts, nullptr, codePage));
    LanguageResources language;
    language.LoadFile(path.c_str());
    ASSERT_TRUE(language.IsLoaded());
    bool sawTrailBackslash = false;
    std::vector<std::string> indexedKeys;
    for (int i = 0; i < language.EntryLineCount(); i++)
        indexedKeys.push_back(std::string(language.SectionText() + language.EntryLineOffset(i), 8));
    for (const KeyedText& k : texts) {
        if (k.item.what == "scale" || k.item.what == "direction")
            continue;
        for (size_t i = 0; i + 1 < k.bytes.size(); i++)
            sawTrailBackslash |= codePage.lead[static_cast<unsigned char>(k.bytes[i])] && k.bytes[i + 1] == '\\';
        char out[1024];
        // Found under its key (the built-in text is also what a missing entry gives).
        EXPECT_NE(indexedKeys.end(), std::find(indexedKeys.begin(), indexedKeys.end(), k.key)) << k.item.what;
        language.Translate(out, sizeof(out), k.bytes.c_str(), k.item.context.empty() ? nullptr : k.item.context.c_str(), k.item.kind);
        EXPECT_EQ(k.bytes, out) << k.item.what;
    }
    EXPECT_TRUE(sawTrailBackslash);  // 功 of "功能表" ends in 0x5C
    int sx = 0, sy = 0;
    EXPECT_FALSE(language.DialogScale("SETUPDLG", &sx, &sy));
    language.DecideDirection(false);
    EXPECT_FALSE(language.IsRightToLeft());
    EXPECT_EQ(static_cast<int>(texts.size()), language.EntryLineCount() - static_cast<int>(texts.size()));

    // Every entry is really taken from the file: with each text marked, lookups yield the marks.
    std::string marked = MakeTemplate(texts, nullptr, codePage);
    for (size_t at = marked.find("=\""); at != std::string::npos; at = marked.find("=\"", at + 3))
        marked.insert(at + 2, "@");
    language.LoadFile(WriteTestFile("marked.lng", marked).c_str());
    for (const KeyedText& k : texts) {
        if (k.item.what == "scale" || k.item.what == "direction")
            continue;
        char out[1024];
        language.Translate(out, sizeof(out), k.bytes.c_str(), k.item.context.empty() ? nullptr : k.item.context.c_str(), k.item.kind);
        EXPECT_EQ("@" + k.bytes, out) << k.item.what;
    }
}

TEST(LngtoolTemplate, TextsFromATranslatedScript) {
    CodePage codePage = Big5();
    std::vector<KeyedText> texts = ProgramTexts(950);
    std::vector<TextItem> items;
    std::string error, warnings;
    ASSERT_TRUE(ReadResourceScript(englishScript, &items, &error)) << error;
    std::vector<KeyedText> english = MakeKeyedTexts(items, codePage, &warnings);
    EXPECT_EQ("", warnings);
    // Every text of the program has its English counterpart at the same place.
    for (const KeyedText& k : texts) {
        if (k.item.what == "scale" || k.item.what == "direction")
            continue;
        EXPECT_NE(nullptr, Find(english, k.item.context, k.item.what.substr(0, k.item.what.find(" (")), true))
                << k.item.context << " " << k.item.what;
    }
    LanguageResources language;
    language.LoadFile(WriteTestFile("english.lng", MakeTemplate(texts, &english, codePage)).c_str());
    char out[1024];
    language.Translate(out, sizeof(out), Find(texts, "", "string 5104")->bytes.c_str(), nullptr, 's');
    EXPECT_STREQ("Uninstall Krelvo", out);
    const KeyedText* ok = Find(texts, "SETUPDLG", "control 1 (IDOK)");
    language.Translate(out, sizeof(out), ok->bytes.c_str(), "SETUPDLG", '$');
    EXPECT_STREQ("OK", out);
    std::string report;
    EXPECT_EQ(CheckClean, CheckLanguageFile(WriteTestFile("english.lng", MakeTemplate(texts, &english, codePage)).c_str(),
                                            texts, codePage, &report)) << report;
}

// Runs the checker on a file and returns its report; the status goes to *status.
std::string Check(const std::string& name, const std::string& bytes, int* status) {
    std::string report;
    *status = CheckLanguageFile(WriteTestFile(name, bytes).c_str(), ProgramTexts(950), Big5(), &report);
    return report;
}

bool Reports(const std::string& report, int line, const char* words) {
    std::string prefix = ":" + std::to_string(line) + ": ";
    for (size_t at = report.find(prefix); at != std::string::npos; at = report.find(prefix, at + 1)) {
        size_t end = report.find('\n', at);
        if (report.substr(at, end - at).find(words) != std::string::npos)
            return true;
    }
    return false;
}

TEST(LngtoolCheck, EntryFaultsWithTheirLines) {
    std::vector<KeyedText> texts = ProgramTexts(950);
    std::string title = Find(texts, "", "string 5104")->key;
    std::string manual = Find(texts, "", "string 5106")->key;
    std::string list = Find(texts, "", "string 5108")->key;
    std::string name = Find(texts, "", "string 5101")->key;
    std::string wideName;  // 32 Big5 characters, 64 bytes
    for (int i = 0; i < 32; i++)
        wideName += "\xA6\x72";
    std::string upper = title;
    for (char& c : upper)
        c = static_cast<char>(toupper(c));
    int status = -1;
    std::string report = Check("faults.lng",
        "free text\r\n" + kMarker +                                   // lines 1, 2
        "; comment 12345678=\"x\"\r\n" +                              // 3: not an entry
        title + "=\"Uninstall\"\r\n" +                                // 4: fine
        "deadbeef=\"nothing\"\r\n" +                                  // 5: unknown key
        title + "=\"Again\"\r\n" +                                    // 6: repeated
        upper + "=\"Upper\"\r\n" +                                    // 7: upper case
        "\r\n" +                                                      // 8: empty
        Find(texts, "", "string 5105")->key + " =\"Done\"\r\n" +      // 9: blank before =
        "  " + Find(texts, "", "string 5107")->key + "=\"Go on?\"\r\n" +  // 10: blank before key
        manual + "=\"Delete %s and %d\"\n" +                          // 11: refused format
        list + "=\"Cannot open the list\"\r" +                        // 12: no %s at all
        "9b889d24=\"wide\"\n" +                                       // 13: scale does not parse
        "e70335f9=\"120*0\"\r\n" +                                    // 14: zero height
        "debae517=\" 110 * 90 \"\r\n" +                               // 15: fine
        Find(texts, "SETUPDLG", "caption")->key + "=\"\xA5\\\"\r\n" + // 16: trail 0x5C eats the quote
        Find(texts, "SETUPDLG", "control 1 (IDOK)")->key + "=\"\xA5\\\\n\"\r\n" +  // 17: escaped: fine
        "50a17ae8=\"rtl\"\r\n" +                                      // 18: direction unreadable
        name + "=\"" + wideName + "\"\r\n",                           // 19: display name too long
        &status);
    EXPECT_EQ(CheckFindings, status);
    EXPECT_FALSE(Reports(report, 3, "")) << report;
    EXPECT_FALSE(Reports(report, 4, "")) << report;
    EXPECT_TRUE(Reports(report, 5, "matches no text")) << report;
    EXPECT_TRUE(Reports(report, 6, "repeated (first on line 4)")) << report;
    EXPECT_TRUE(Reports(report, 7, "upper-case")) << report;
    EXPECT_TRUE(Reports(report, 9, "blank between key")) << report;
    EXPECT_TRUE(Reports(report, 10, "blank before the key")) << report;
    EXPECT_TRUE(Reports(report, 11, "string 5106")) << report;
    EXPECT_TRUE(Reports(report, 12, "string 5108")) << report;
    EXPECT_TRUE(Reports(report, 13, "scale entry of SETUPDLG \"wide\"")) << report;
    EXPECT_TRUE(Reports(report, 14, "scale entry of CONTEXTITEMS")) << report;
    EXPECT_FALSE(Reports(report, 15, "")) << report;
    EXPECT_TRUE(Reports(report, 16, "backslash byte (0x5C)")) << report;
    EXPECT_FALSE(Reports(report, 17, "")) << report;
    EXPECT_TRUE(Reports(report, 18, "direction")) << report;
    EXPECT_TRUE(Reports(report, 19, "string 5101 is 64 bytes in code page 950")) << report;
    EXPECT_EQ(12, std::count(report.begin(), report.end(), '\n')) << report;
    // 63 bytes as the program reads them ("\\" is one) fit.
    report = Check("name63.lng", kMarker + name + "=\"" + wideName.substr(0, 62) + "\\\\\"\r\n", &status);
    EXPECT_EQ(CheckClean, status) << report;
}

TEST(LngtoolCheck, WhereTheProgramStopsReading) {
    std::vector<KeyedText> texts = ProgramTexts(950);
    std::string title = Find(texts, "", "string 5104")->key;
    int status = -1;
    // A marker one byte past the last offset the program searches is never found.
    std::string late = std::string(130816, 'x') + "\n" + kMarker + title + "=\"x\"\r\n";
    std::string report = Check("late.lng", late, &status);
    EXPECT_EQ(CheckFindings, status);
    EXPECT_TRUE(Reports(report, 2, "past 130,816")) << report;
    std::string inTime = std::string(130815, 'x') + "\n" + kMarker + title + "=\"x\"\r\n";
    Check("intime.lng", inTime, &status);
    EXPECT_EQ(CheckClean, status);
    Check("none.lng", "no marker here at all\r\n" + title + "=\"x\"\r\n", &status);
    EXPECT_EQ(CheckFindings, status);

    // Entries beyond 65,536 bytes from the marker: one cut, one never read.
    std::string filler;
    while (kMarker.size() + filler.size() < 65530)
        filler += "; filler line of comment text to push entries past the read limit\r\n";
    filler.resize(65530 - kMarker.size());
    filler += "\r\n";
    std::string longFile = kMarker + filler + Find(texts, "", "string 5105")->key + "=\"cut\"\r\n" + title + "=\"lost\"\r\n";
    report = Check("long.lng", longFile, &status);
    EXPECT_EQ(CheckFindings, status);
    int lines = static_cast<int>(std::count(longFile.begin(), longFile.end(), '\n'));
    EXPECT_TRUE(Reports(report, lines - 1, "cut off")) << report;
    EXPECT_TRUE(Reports(report, lines, "never reads")) << report;

    // A NUL byte ends the section.
    report = Check("nul.lng", kMarker + std::string("; x\0y\r\n", 7) + title + "=\"x\"\r\n", &status);
    EXPECT_TRUE(Reports(report, 2, "NUL")) << report;
}

// The tool itself: commands, exit statuses 0, 1 and 2.
int RunTool(const std::string& arguments, std::string* output = nullptr) {
    std::string command = std::string(KVO_LNGTOOL) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char chunk[4096];
    size_t got;
    std::string text;
    while ((got = fread(chunk, 1, sizeof(chunk), pipe)) > 0)
        text.append(chunk, got);
    int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LngtoolCommand, KeysTemplateCheck) {
    std::string out;
    EXPECT_EQ(0, RunTool("keys", &out));
    EXPECT_NE(std::string::npos, out.find("50a17ae8 $ LTR")) << out;
    EXPECT_NE(std::string::npos, out.find("9b889d24 $ SETUPDLG     scale")) << out;
    std::string path = ::testing::TempDir() + "tool.lng";
    EXPECT_EQ(0, RunTool("template -o " + path));
    EXPECT_EQ(0, RunTool("check " + path, &out)) << out;
    EXPECT_EQ(0, RunTool("template --texts " + std::string(englishScript) + " -o " + path));
    EXPECT_EQ(0, RunTool("check " + path, &out)) << out;
    WriteTestFile("bad.lng", kMarker + "deadbeef=\"x\"\r\n");
    EXPECT_EQ(1, RunTool("check " + ::testing::TempDir() + "bad.lng", &out));
    EXPECT_NE(std::string::npos, out.find("bad.lng:2: key deadbeef matches no text")) << out;
    EXPECT_EQ(2, RunTool("check /nonexistent/uninstall.lng", &out));
    EXPECT_EQ(2, RunTool("check", &out));
    EXPECT_EQ(2, RunTool("keys --cp 99999", &out));
    // A file used with a library: dialog keys from the library's texts, messages the program's.
    EXPECT_EQ(0, RunTool("keys --library " + std::string(englishScript), &out));
    EXPECT_NE(std::string::npos, out.find(Key('$', "SETUPDLG", "Krelvo Setup") + " $ SETUPDLG     caption")) << out;
    EXPECT_NE(std::string::npos, out.find("dff08ad4 s -            string 5104")) << out;
    EXPECT_EQ(std::string::npos, out.find(Key('s', nullptr, "Uninstall Krelvo"))) << out;
    // Keys for a code page without the Chinese characters: the program would see '?'.
    EXPECT_EQ(0, RunTool("keys --cp 1252", &out));
    EXPECT_NE(std::string::npos, out.find("warning: code page 1252 lacks")) << out;
}

}  // namespace
