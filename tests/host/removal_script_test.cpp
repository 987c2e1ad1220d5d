// The self-removal script for both Windows families.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/removal_script.h"
#include "test_support.h"

namespace {

std::string Compose(bool nt, const char* program, const char* folder, const char* script, bool silent = false) {
    static char text[RemovalScriptSize];
    int length = ComposeRemovalScript(text, sizeof(text), nt, silent, program, folder, script);
    EXPECT_GE(length, 0);
    return std::string(text, length < 0 ? 0 : length);
}

std::vector<std::string> Lines(const std::string& script) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(script.substr(start, end - start));
    lines.push_back(script.substr(start));
    return lines;
}

// Every place the text names path, it stands in double quotes.
void ExpectAlwaysQuoted(const std::string& script, const std::string& path) {
    size_t uses = 0;
    for (size_t at = script.find(path); at != std::string::npos; at = script.find(path, at + 1), uses++) {
        ASSERT_GT(at, 0u) << path;
        EXPECT_EQ('"', script[at - 1]) << path << " at " << at;
        EXPECT_EQ('"', script[at + path.size()]) << path << " at " << at;
    }
    EXPECT_GT(uses, 0u) << path;
}

// The script waits for the program's end, tries to delete it and its folder until it is gone,
// warns when it stayed, and deletes itself last: one command a line, CR LF between them.
TEST(RemovalScript, WaitsTriesWarnsAndDeletesItself) {
    const std::string program = "C:\\Program Files\\Kvo\\uninstall.exe", folder = "C:\\Program Files\\Kvo",
                      self = "C:\\TEMP\\Uninstall_Kvo.Bat";
    std::string script = Compose(true, program.c_str(), folder.c_str(), self.c_str());
    std::vector<std::string> lines = Lines(script);
    ASSERT_EQ(19u, lines.size());
    EXPECT_EQ("\"" + program + "\" /wait", lines.front());
    EXPECT_EQ("del \"" + self + "\"", lines.back());
    EXPECT_NE('\n', script.back());
    for (const std::string& path : {program, self})  // the folder is checked in its rd line
        ExpectAlwaysQuoted(script, path);
    // Each try deletes the program and the folder, then leaves once the program is gone; the
    // warning comes after every try.
    int tries = 0, done = -1;
    for (size_t i = 0; i < lines.size(); i++) {
        if (lines[i] == "del \"" + program + "\"") {
            tries++;
            ASSERT_LT(i + 2, lines.size());
            EXPECT_EQ("rd \"" + folder + "\"", lines[i + 1]);
            EXPECT_EQ("if not exist \"" + program + "\" goto done", lines[i + 2]);
            EXPECT_EQ(-1, done) << "a try after :done";
        }
        if (lines[i] == ":done")
            done = static_cast<int>(i);
    }
    EXPECT_GE(tries, 2);
    ASSERT_GT(done, 0);
    EXPECT_EQ("if exist \"" + program + "\" \"" + program + "\" /warning", lines[done + 1]);
    // A silent uninstall's script differs only there: its warning run shows nothing either.
    std::vector<std::string> silent = Lines(Compose(true, program.c_str(), folder.c_str(), self.c_str(), true));
    lines[done + 1] = "if exist \"" + program + "\" \"" + program + "\" /s /warning";
    EXPECT_EQ(lines, silent);
}

TEST(RemovalScript, OlderSystemsStartWithStartWait) {
    std::string script = Compose(false, "C:\\KVO\\UNINST.EXE", "C:\\KVO", "C:\\WINDOWS\\TEMP\\Uninstall_Kvo.Bat");
    const std::string start = "start /wait \"C:\\KVO\\UNINST.EXE\" /wait\r\n";
    EXPECT_EQ(start, script.substr(0, start.size()));
    EXPECT_EQ(Compose(true, "C:\\KVO\\UNINST.EXE", "C:\\KVO", "C:\\WINDOWS\\TEMP\\Uninstall_Kvo.Bat"),
              script.substr(12));
}

TEST(RemovalScript, PercentSignsAreDoubled) {
    CodePageScope big5(true);
    // "\xA6\x25" is no Big5 character (trail bytes start at 0x40), so each "%" byte doubles;
    // "\xB3\x5C" stays one character.
    std::string script = Compose(true, "C:\\Krelvo 100% Test\\\xB3\x5C\\uninstall.exe",
                                 "C:\\Krelvo 100% Test\\\xB3\x5C", "C:\\T%TEMP%\\u.bat");
    EXPECT_EQ(0u, script.find("\"C:\\Krelvo 100%% Test\\\xB3\x5C\\uninstall.exe\" /wait\r\n"));
    EXPECT_NE(std::string::npos, script.find("rd \"C:\\Krelvo 100%% Test\\\xB3\x5C\"\r\n"));
    EXPECT_NE(std::string::npos, script.find("del \"C:\\T%%TEMP%%\\u.bat\""));
    EXPECT_EQ(std::string::npos, script.find("100% "));
}

TEST(RemovalScript, RootFolderAndBounds) {
    std::string script = Compose(true, "C:\\uninstall.exe", "C:\\", "C:\\T\\s.bat");
    EXPECT_NE(std::string::npos, script.find("rd \"C:\\\"\r\n"));

    // The largest paths fit the buffer, even with every byte a "%".
    std::string worst(1023, '%');
    static char text[RemovalScriptSize];
    EXPECT_GT(ComposeRemovalScript(text, sizeof(text), false, true, worst.c_str(), worst.c_str(), worst.c_str()), 0);
    // A buffer too small is reported, not overrun.
    char small[64];
    EXPECT_EQ(-1, ComposeRemovalScript(small, sizeof(small), true, false, "C:\\a\\u.exe", "C:\\a", "C:\\s.bat"));
}

TEST(RemovalScript, InterpreterCommand) {
    char line[InterpreterCommandSize];
    // Older systems: the script path in one pair of quotes.
    ASSERT_TRUE(ComposeInterpreterCommand(line, sizeof(line), false, "C:\\WINDOWS\\COMMAND.COM",
                                          "C:\\Temp Dir\\Kvo0A1B2C3D.Bat", nullptr));
    EXPECT_STREQ("C:\\WINDOWS\\COMMAND.COM /c \"C:\\Temp Dir\\Kvo0A1B2C3D.Bat\"", line);
    // NT family: doubled, so that cmd.exe keeps one pair around "Jo (Admin) & Co"; once the
    // script has ended, its folder goes.
    ASSERT_TRUE(ComposeInterpreterCommand(line, sizeof(line), true, "C:\\windows\\system32\\cmd.exe",
                                          "C:\\Jo (Admin) & Co\\Kvo0A1B2C3D\\Uninstall_Kvo.Bat",
                                          "C:\\Jo (Admin) & Co\\Kvo0A1B2C3D"));
    EXPECT_STREQ("C:\\windows\\system32\\cmd.exe /c \"\"C:\\Jo (Admin) & Co\\Kvo0A1B2C3D\\Uninstall_Kvo.Bat\""
                 " & rd \"C:\\Jo (Admin) & Co\\Kvo0A1B2C3D\"\"",
                 line);
    // No COMSPEC: the line begins with " /c" and the start fails later, as it would anyway.
    ASSERT_TRUE(ComposeInterpreterCommand(line, sizeof(line), false, "", "C:\\T\\s.bat", nullptr));
    EXPECT_STREQ(" /c \"C:\\T\\s.bat\"", line);
    std::string longest(1023, 'p');
    EXPECT_TRUE(ComposeInterpreterCommand(line, sizeof(line), true, longest.c_str(), longest.c_str(), longest.c_str()));
    char small[16];
    EXPECT_FALSE(ComposeInterpreterCommand(small, sizeof(small), false, "cmd.exe", "C:\\T\\s.bat", nullptr));
}

}  // namespace
