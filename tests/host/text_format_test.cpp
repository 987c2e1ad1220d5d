// Messages that name one text, and the paths of shortcut files.
#include <string>

#include <gtest/gtest.h>

#include "shell/shortcut_paths.h"
#include "support/format_text.h"
#include "test_support.h"

namespace {

std::string Format(const char* format, const char* text, int capacity = 256) {
    char out[256];
    FormatWithText(out, capacity, format, text);
    return out;
}

TEST(FormatWithText, OnlyTheFirstStringFieldIsFilled) {
    EXPECT_EQ("cannot open Uninstall.lst", Format("cannot open %s", "Uninstall.lst"));
    // A translation is data: other fields are copied, never read as arguments.
    EXPECT_EQ("100% %d %n a %s", Format("100%% %d %n %s %s", "a"));
    EXPECT_EQ("no field", Format("no field", "a"));
    EXPECT_EQ("trailing %", Format("trailing %", "a"));
}

TEST(FormatWithText, CutsToCapacityOnWholeCharacters) {
    CodePageScope big5(true);
    EXPECT_EQ("abc", Format("%s", "abcdef", 4));
    // "\xB5\x4C" is one character; half of it is never kept.
    EXPECT_EQ("ab", Format("ab\xB5\x4C", "", 4));
    // Nor of the inserted text (a program path in the warning), and the format stops there.
    EXPECT_EQ("ab", Format("%s!", "ab\xB5\x4C", 4));
    EXPECT_EQ("", Format("x", "", 1));
}

TEST(ShortcutPaths, SiblingOfTheProgram) {
    char path[32];
    ASSERT_TRUE(ComposeSiblingPath(path, sizeof(path), "C:\\Kvo\\uninstall.exe", "Krelvo.exe"));
    EXPECT_STREQ("C:\\Kvo\\Krelvo.exe", path);
    EXPECT_FALSE(ComposeSiblingPath(path, 17, "C:\\Kvo\\uninstall.exe", "Krelvo.exe"));
    EXPECT_TRUE(ComposeSiblingPath(path, 18, "C:\\Kvo\\uninstall.exe", "Krelvo.exe"));
}

TEST(ShortcutPaths, LinkNamesCannotLeaveTheirFolder) {
    char path[64];
    ASSERT_TRUE(ComposeLinkPath(path, sizeof(path), "C:\\Desk", "Krelvo"));
    EXPECT_STREQ("C:\\Desk\\Krelvo.lnk", path);
    ASSERT_TRUE(ComposeLinkPath(path, sizeof(path), "C:\\", "Krelvo"));
    EXPECT_STREQ("C:\\Krelvo.lnk", path);
    ASSERT_TRUE(ComposeLinkPath(path, sizeof(path), "C:\\G", "..\\..\\a/b:c*?\"<>|"));
    EXPECT_STREQ("C:\\G\\.._.._a_b_c______.lnk", path);
    {
        CodePageScope big5(true);
        // "\xBB\xA1\xA9\xFA" is Big5 text; a trail byte 0x5C is kept as part of its character.
        ASSERT_TRUE(ComposeLinkPath(path, sizeof(path), "C:\\G", "\xBB\xA1\xB3\x5C"));
        EXPECT_STREQ("C:\\G\\\xBB\xA1\xB3\x5C.lnk", path);
    }
    EXPECT_FALSE(ComposeLinkPath(path, sizeof(path), "", "Krelvo"));
    EXPECT_FALSE(ComposeLinkPath(path, 15, "C:\\G", "Krelvo"));
    EXPECT_TRUE(ComposeLinkPath(path, 16, "C:\\G", "Krelvo"));
}

}  // namespace
