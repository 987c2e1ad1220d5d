// Path rule and read-buffer rules of the registry layer.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "registry/reg_text.h"

namespace {

std::string Built(bool currentUser, const std::string& path, bool* ok = nullptr) {
    char buffer[RegPathSize];
    memset(buffer, 'x', sizeof(buffer));
    bool result = BuildRegPath(currentUser, path.c_str(), buffer, sizeof(buffer));
    if (ok)
        *ok = result;
    return result ? std::string(buffer) : std::string("<refused>");
}

TEST(BuildRegPath, CurrentUserPathsLieBelowTheProductKey) {
    EXPECT_EQ("Software\\Krelvo\\Setup", Built(true, "Setup"));
    EXPECT_EQ("Software\\Krelvo\\Setup\\.lha", Built(true, "Setup\\.lha"));
    EXPECT_EQ("Software\\Krelvo", Built(true, ""));
    // A leading backslash makes the path relative to HKEY_CURRENT_USER itself.
    EXPECT_EQ("Software\\Other", Built(true, "\\Software\\Other"));
    EXPECT_EQ("", Built(true, "\\"));
}

TEST(BuildRegPath, OtherRootsTakeThePathUnchanged) {
    EXPECT_EQ(".zip\\ShellNew", Built(false, ".zip\\ShellNew"));
    EXPECT_EQ("", Built(false, ""));
    EXPECT_EQ("\\lead", Built(false, "\\lead"));
}

TEST(BuildRegPath, LengthBoundIs236Characters) {
    bool ok = false;
    std::string longest(236, 'a');
    EXPECT_EQ(longest, Built(false, longest, &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ("Software\\Krelvo\\" + longest, Built(true, longest, &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(std::string(235, 'b'), Built(true, "\\" + std::string(235, 'b'), &ok));
    EXPECT_TRUE(ok);

    Built(false, std::string(237, 'a'), &ok);
    EXPECT_FALSE(ok);
    Built(true, std::string(237, 'a'), &ok);
    EXPECT_FALSE(ok);
    Built(true, std::string(5000, 'a'), &ok);
    EXPECT_FALSE(ok);
}

TEST(BuildRegPath, SmallBuffersNeverOverrun) {
    char buffer[40];
    memset(buffer, 'x', sizeof(buffer));
    // 16 characters are the bound of a 36-byte buffer: with the product prefix they take 33
    // bytes, and nothing after them is touched.
    EXPECT_TRUE(BuildRegPath(true, "abcdefghijklmnop", buffer, 36));
    EXPECT_STREQ("Software\\Krelvo\\abcdefghijklmnop", buffer);
    EXPECT_EQ('x', buffer[33]);
    EXPECT_FALSE(BuildRegPath(true, "abcdefghijklmnopq", buffer, 36));
    EXPECT_TRUE(BuildRegPath(true, "abcd", buffer, 36));
    EXPECT_STREQ("Software\\Krelvo\\abcd", buffer);
    EXPECT_FALSE(BuildRegPath(false, "", buffer, 19));
    // The join behind it, where the prefix itself is what overflows: "Software\Krelvo\" fills
    // 16 bytes without room for the terminator, and a 10-byte buffer not even the prefix.
    for (size_t size : {16, 10}) {
        memset(buffer, 'x', sizeof(buffer));
        EXPECT_FALSE(ConcatText(buffer, size, "Software\\Krelvo", "\\", "")) << size;
        EXPECT_EQ('\0', buffer[0]) << size;
        EXPECT_EQ('x', buffer[size]) << size;
    }
}

TEST(TerminateReadText, AlwaysLeavesATerminatedTextInsideTheBuffer) {
    char buffer[8];
    // Stored with its terminator.
    memcpy(buffer, "abc", 4);
    EXPECT_TRUE(TerminateReadText(buffer, 4, sizeof(buffer)));
    EXPECT_STREQ("abc", buffer);
    // Stored without one: a terminator is added after the bytes.
    memcpy(buffer, "abcdxxxx", 8);
    EXPECT_TRUE(TerminateReadText(buffer, 4, sizeof(buffer)));
    EXPECT_STREQ("abcd", buffer);
    // Seven bytes without terminator still fit with one.
    memcpy(buffer, "abcdefgx", 8);
    EXPECT_TRUE(TerminateReadText(buffer, 7, sizeof(buffer)));
    EXPECT_STREQ("abcdefg", buffer);
    // Exactly filling the buffer with a terminator at the end is a text.
    memcpy(buffer, "abcdefg", 8);
    EXPECT_TRUE(TerminateReadText(buffer, 8, sizeof(buffer)));
    EXPECT_STREQ("abcdefg", buffer);
    // Exactly filling it without one cannot be a text here.
    memcpy(buffer, "abcdefgh", 8);
    EXPECT_FALSE(TerminateReadText(buffer, 8, sizeof(buffer)));
    // An empty value (zero bytes) reads as the empty text.
    memcpy(buffer, "zzzz", 4);
    EXPECT_TRUE(TerminateReadText(buffer, 0, sizeof(buffer)));
    EXPECT_STREQ("", buffer);
    // A 4-byte number read as text is cut at its bytes.
    const unsigned char number[4] = {0x31, 0x32, 0x33, 0x34};
    memcpy(buffer, number, 4);
    EXPECT_TRUE(TerminateReadText(buffer, 4, sizeof(buffer)));
    EXPECT_STREQ("1234", buffer);
    // A size the registry should never report is refused.
    EXPECT_FALSE(TerminateReadText(buffer, 9, sizeof(buffer)));
    EXPECT_FALSE(TerminateReadText(buffer, 0, 0));
}

TEST(CopyDefaultText, CutsToTheBuffer) {
    char buffer[4];
    CopyDefaultText(buffer, "", sizeof(buffer));
    EXPECT_STREQ("", buffer);
    CopyDefaultText(buffer, "abcdef", sizeof(buffer));
    EXPECT_STREQ("abc", buffer);
    buffer[0] = 'q';
    CopyDefaultText(buffer, "abc", 0);
    EXPECT_EQ('q', buffer[0]);
}

TEST(ConcatText, RefusesAndEmptiesWhenTooLong) {
    char buffer[6];
    EXPECT_TRUE(ConcatText(buffer, sizeof(buffer), "ab", "c", "de"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_FALSE(ConcatText(buffer, sizeof(buffer), "ab", "c", "def"));
    EXPECT_STREQ("", buffer);
}

}  // namespace
