// The switch scan as the entry point runs it: every "/" or "-" starts a word, left to right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/switches.h"
#include "test_support.h"

namespace {

// The kinds found in a command line, in order, as letters: U(setup) S(silent) W(wait)
// N(warning) L(log) i(ignored).
std::string Scan(const char* commandLine) {
    std::string kinds;
    for (const char* word = FindSwitchWord(commandLine); word; word = FindSwitchWord(word))
        kinds += "USWNLi"[ClassifySwitch(word)];
    return kinds;
}

TEST(Switches, NoSeparatorMeansUninstall) {
    EXPECT_EQ("", Scan(""));
    EXPECT_EQ("", Scan("setup"));
    EXPECT_EQ("", Scan("C:\\Program Files\\Krelvo"));
}

TEST(Switches, SetupByPrefixIgnoringCase) {
    EXPECT_EQ("U", Scan("-setup"));
    EXPECT_EQ("U", Scan("/SETUP"));
    EXPECT_EQ("U", Scan("/setupnow"));
    EXPECT_EQ("U", Scan("/SeTuPxyz"));
    EXPECT_EQ("i", Scan("/setu"));
}

TEST(Switches, LoneSIsSilent) {
    EXPECT_EQ("S", Scan("/s"));
    EXPECT_EQ("S", Scan("-S"));
    EXPECT_EQ("S", Scan("/s2"));
    EXPECT_EQ("S", Scan("/s "));
    EXPECT_EQ("SU", Scan("/s/setup"));
    EXPECT_EQ("i", Scan("/silent"));
    EXPECT_EQ("i", Scan("/sx"));
    EXPECT_EQ("SU", Scan("/s /setup"));
    EXPECT_EQ("US", Scan("/setup /s"));
}

TEST(Switches, WaitAndWarning) {
    EXPECT_EQ("W", Scan("/wait"));
    EXPECT_EQ("W", Scan("/waiting"));
    EXPECT_EQ("N", Scan("/warning"));
    EXPECT_EQ("N", Scan("/WARNINGS"));
    EXPECT_EQ("i", Scan("/warn"));
    EXPECT_EQ("WN", Scan("/wait /warning"));
    EXPECT_EQ("SL", Scan("/s /LOG"));
    EXPECT_EQ("LU", Scan("-logfile /setup"));
    EXPECT_EQ("i", Scan("/lo"));
}

TEST(Switches, EverySeparatorCounts) {
    EXPECT_EQ("i", Scan("my-files"));
    EXPECT_EQ("i", Scan("/"));          // an empty word at the end
    EXPECT_EQ("ii", Scan("/a-b"));      // the next search starts at the word itself
    EXPECT_EQ("ii", Scan("C:/x/y"));
    EXPECT_EQ("UU", Scan("/setup /setup"));
    EXPECT_EQ("Ui", Scan("/setup-"));
}

// The start-up code's view of the whole command line: where the arguments begin.
TEST(Switches, ArgumentsBeginAfterTheProgramName) {
    const auto arguments = [](const char* line) { return std::string(SkipProgramName(line)); };
    for (bool big5 : {false, true}) {
        CodePageScope codePage(big5);
        EXPECT_EQ("/s", arguments("uninstall.exe /s"));
        EXPECT_EQ("/s /setup", arguments("\"C:\\Program Files\\K\\uninstall.exe\"  \t/s /setup"));
        EXPECT_EQ("", arguments("\"C:\\a b\\uninstall.exe"));
        // Bytes past 0x7F belong to the name, its "-" too ("Büro-Tools" on code page 1252).
        EXPECT_EQ("", arguments("C:\\B\xFCro-Tools\\uninstall.exe"));
        EXPECT_EQ("/x", arguments("C:\\B\xFCro-Tools\\uninstall.exe /x"));
    }
}

}  // namespace
