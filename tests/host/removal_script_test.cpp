// The self-removal script, byte for byte, for both Windows families.
#include <string>

#include <gtest/gtest.h>

#include "driver/removal_script.h"
#include "test_support.h"

namespace {

std::string Compose(bool nt, const char* program, const char* folder, const char* script) {
    static char text[RemovalScriptSize];
    int length = ComposeRemovalScript(text, sizeof(text), nt, program, folder, script);
    EXPECT_GE(length, 0);
    return std::string(text, length < 0 ? 0 : length);
}

std::string Attempts(const std::string& program, const std::string& folder) {
    std::string once = "del \"" + program + "\"\r\nrd \"" + folder + "\"\r\nif not exist \"" +
                       program + "\" goto done\r\n";
    return once + once + once + once + once;
}

TEST(RemovalScript, NtFamilyBytes) {
    const char program[] = "C:\\Program Files\\Kvo\\uninstall.exe";
    std::string expected = "\"C:\\Program Files\\Kvo\\uninstall.exe\" /wait\r\n" +
                           Attempts(program, "C:\\Program Files\\Kvo") +
                           ":done\r\nif exist \"" + program + "\" \"" + program +
                           "\" /warning\r\ndel \"C:\\TEMP\\Uninstall_Kvo.Bat\"";
    std::string script = Compose(true, program, "C:\\Program Files\\Kvo", "C:\\TEMP\\Uninstall_Kvo.Bat");
    EXPECT_EQ(expected, script);
    // 19 lines, the last without a line break.
    size_t breaks = 0;
    for (size_t at = script.find("\r\n"); at != std::string::npos; at = script.find("\r\n", at + 2))
        breaks++;
    EXPECT_EQ(18u, breaks);
    EXPECT_NE("\r\n", script.substr(script.size() - 2));
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
    EXPECT_GT(ComposeRemovalScript(text, sizeof(text), false, worst.c_str(), worst.c_str(), worst.c_str()), 0);
    // A buffer too small is reported, not overrun.
    char small[64];
    EXPECT_EQ(-1, ComposeRemovalScript(small, sizeof(small), true, "C:\\a\\u.exe", "C:\\a", "C:\\s.bat"));
}

TEST(RemovalScript, InterpreterCommand) {
    char line[InterpreterCommandSize];
    // Older systems: the script path in one pair of quotes.
    ASSERT_TRUE(ComposeInterpreterCommand(line, sizeof(line), false, "C:\\WINDOWS\\COMMAND.COM",
                                          "C:\\Temp Dir\\Uninstall_Kvo.Bat"));
    EXPECT_STREQ("C:\\WINDOWS\\COMMAND.COM /c \"C:\\Temp Dir\\Uninstall_Kvo.Bat\"", line);
    // NT family: doubled, so that cmd.exe keeps one pair around "Jo (Admin) & Co".
    ASSERT_TRUE(ComposeInterpreterCommand(line, sizeof(line), true, "C:\\windows\\system32\\cmd.exe",
                                          "C:\\Jo (Admin) & Co\\Uninstall_Kvo.Bat"));
    EXPECT_STREQ("C:\\windows\\system32\\cmd.exe /c \"\"C:\\Jo (Admin) & Co\\Uninstall_Kvo.Bat\"\"", line);
    // No COMSPEC: the line begins with " /c" and the start fails later, as it would anyway.
    ASSERT_TRUE(ComposeInterpreterCommand(line, sizeof(line), false, "", "C:\\T\\s.bat"));
    EXPECT_STREQ(" /c \"C:\\T\\s.bat\"", line);
    std::string longest(1023, 'p');
    EXPECT_TRUE(ComposeInterpreterCommand(line, sizeof(line), true, longest.c_str(), longest.c_str()));
    char small[16];
    EXPECT_FALSE(ComposeInterpreterCommand(small, sizeof(small), false, "cmd.exe", "C:\\T\\s.bat"));
}

}  // namespace
