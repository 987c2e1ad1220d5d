// Path and string helpers over a lead-byte table that each test fills: single-byte and Big5
// (code page 950, where trail bytes include 0x5C, the backslash).
#include <gtest/gtest.h>
#include <string.h>

#include "support/text.h"

namespace {

void UseSingleByteCodePage() { memset(LeadByteTable, 0, sizeof(LeadByteTable)); }

void UseBig5CodePage() {
    memset(LeadByteTable, 0, sizeof(LeadByteTable));
    for (int b = 0x81; b <= 0xFE; b++)
        LeadByteTable[b] = 1;
    LeadByteTable[256] = 1;
}

// "許" in Big5 is A6 5C: its trail byte is a backslash.
const char kXu[] = "\xA6\x5C";

class SingleByte : public ::testing::Test {
protected:
    void SetUp() override { UseSingleByteCodePage(); }
};

class Big5 : public ::testing::Test {
protected:
    void SetUp() override { UseBig5CodePage(); }
};

TEST_F(SingleByte, FileNamePartFindsTheNameAfterTheLastDivider) {
    const char* cases[][2] = {
        {"C:\\Program Files\\Krelvo\\uninstall.exe", "uninstall.exe"},
        {"dir/file", "file"},
        {"C:file", "file"},
        {"uninstall.exe", "uninstall.exe"},
        {"C:\\dir\\", ""},
        {"", ""},
        {"a\\b/c", "c"},
        {"\\\\server\\share\\x.lng", "x.lng"},
    };
    for (auto& c : cases) {
        const char* name = FileNamePart(c[0]);
        EXPECT_STREQ(c[1], name) << c[0];
        EXPECT_TRUE(name >= c[0] && name <= c[0] + strlen(c[0])) << "inside the same buffer: " << c[0];
    }
}

TEST_F(SingleByte, AppendBackslashAddsExactlyOne) {
    char path[32];
    strcpy(path, "C:\\");
    EXPECT_STREQ("C:\\", AppendBackslash(path));
    strcpy(path, "C:");
    EXPECT_STREQ("C:\\", AppendBackslash(path));
    strcpy(path, "");
    EXPECT_STREQ("", AppendBackslash(path));
    strcpy(path, "C:\\dir/");
    EXPECT_STREQ("C:\\dir/\\", AppendBackslash(path));
    strcpy(path, "x");
    EXPECT_STREQ("x\\", AppendBackslash(path));
}

TEST_F(SingleByte, LastCharPos) {
    const char empty[] = "";
    EXPECT_EQ(empty, LastCharPos(empty));
    const char text[] = "abc";
    EXPECT_EQ(text + 2, LastCharPos(text));
}

TEST_F(SingleByte, HighBytesAreSingleCharacters) {
    // Without a multi-byte code page a 0x5C after a high byte is a divider.
    char path[32] = "C:\\\xA6\x5C" "x";
    EXPECT_STREQ("x", FileNamePart(path));
}

TEST_F(Big5, TrailByteBackslashIsNoDivider) {
    char path[64];
    snprintf(path, sizeof(path), "C:\\Tools\\%s", kXu);
    // The name part is the whole double-byte name, not what follows its trail byte.
    EXPECT_STREQ(kXu, FileNamePart(path));
    EXPECT_EQ(path + 9, LastCharPos(path));
    // It still needs a backslash of its own.
    AppendBackslash(path);
    EXPECT_EQ(strlen("C:\\Tools\\") + 3, strlen(path));
    EXPECT_EQ('\\', path[strlen(path) - 1]);
    EXPECT_EQ('\\', path[strlen(path) - 2]);  // the trail byte, then the appended divider
}

TEST_F(Big5, NameEndingInTrailBackslashThenFile) {
    char path[64];
    snprintf(path, sizeof(path), "C:\\%s\\file.txt", kXu);
    EXPECT_STREQ("file.txt", FileNamePart(path));
    snprintf(path, sizeof(path), "%s", kXu);  // a bare double-byte name
    EXPECT_EQ(path, FileNamePart(path));
}

TEST_F(Big5, DriveRuleNeedsASingleByteFirstCharacter) {
    // A lead byte followed by ':' is one character, not a drive letter.
    char path[8] = "\xA6:x";
    EXPECT_EQ(path, FileNamePart(path));
    char drive[8] = "D:x";
    EXPECT_STREQ("x", FileNamePart(drive));
}

TEST_F(Big5, NextCharPosNeverStepsPastTheTerminator) {
    const char lone[] = "a\xA6";  // a lead byte right before the terminator
    const char* p = NextCharPos(lone);
    EXPECT_EQ(lone + 1, p);
    p = NextCharPos(p);
    EXPECT_EQ(lone + 2, p);
    EXPECT_EQ(lone + 2, NextCharPos(p));  // at the terminator it stays
    const char pair[] = "\xA6\x5C";
    EXPECT_EQ(pair + 2, NextCharPos(pair));
}

TEST_F(Big5, LoneLeadByteAtTheEndIsHandled) {
    char path[16] = "C:\\ab\xA6";
    EXPECT_STREQ("ab\xA6", FileNamePart(path));
    EXPECT_EQ(path + 5, LastCharPos(path));
    AppendBackslash(path);
    EXPECT_STREQ("C:\\ab\xA6\\", path);
}

TEST(TrimTrailingWhitespace, CutsLineEndsBlanksAndTabs) {
    char line[32] = "Krelvo.exe \t\r\n";
    EXPECT_STREQ("Krelvo.exe", TrimTrailingWhitespace(line));
    char blanks[8] = "   ";
    EXPECT_STREQ("", TrimTrailingWhitespace(blanks));
    char inner[16] = " a b ";
    EXPECT_STREQ(" a b", TrimTrailingWhitespace(inner));  // leading blanks stay
    char empty[1] = "";
    EXPECT_STREQ("", TrimTrailingWhitespace(empty));
}

}  // namespace
