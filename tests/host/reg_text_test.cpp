// Path rule and read-buffer rules of the registry layer.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "registry/reg_text.h"
#include "test_support.h"

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

// A value as the run's log shows it; the text must end inside its buffer.
std::string Described(unsigned long type, const std::string& bytes, unsigned long count) {
    char text[RegValueTextSize + 1];
    memset(text, 'x', sizeof(text));
    DescribeRegValue(text, type, reinterpret_cast<const unsigned char*>(bytes.data()), count, bytes.size());
    EXPECT_TRUE(memchr(text, '\0', RegValueTextSize)) << "past the buffer";
    return std::string(text, strnlen(text, RegValueTextSize));
}

TEST(DescribeRegValue, OneLineWithinItsBufferWhateverTheValue) {
    CodePageScope big5(true);
    EXPECT_EQ("\"Krelvo.ZIP\"", Described(1, std::string("Krelvo.ZIP\0junk", 15), 15));
    EXPECT_EQ("\"a??b\"", Described(2, "a\r\nb", 4));  // no terminator stored
    EXPECT_EQ("\"\"", Described(1, "", 0));
    EXPECT_EQ("0x000000FF (255)", Described(4, std::string("\xff\0\0\0", 4), 4));
    EXPECT_EQ("hex(4): 01 02", Described(4, "\1\2", 2));
    EXPECT_EQ("hex(3): 50 4B 05 06", Described(3, "PK\5\6", 4));
    // Larger than what was read: only its type and size.
    EXPECT_EQ("hex(1): ... (5000 bytes)", Described(1, "", 5000));
    std::string sixteen;
    for (int i = 0; i < 16; i++)
        sixteen += " 7F";
    EXPECT_EQ("hex(3):" + sixteen + " ... (40 bytes)", Described(3, std::string(40, '\x7f'), 40));
    // A long text is cut with "...", never inside a double-byte character, nor by one lone
    // lead byte at its end.
    std::string text = Described(1, std::string(300, 'a'), 300);
    EXPECT_EQ(RegValueTextSize - 1, static_cast<int>(text.size()));
    EXPECT_EQ("...\"", text.substr(text.size() - 4));
    std::string big5Text = Described(1, "a" + std::string(300, '\xa4'), 301);
    EXPECT_EQ(0u, big5Text.find("\"a\xa4\xa4"));
    EXPECT_EQ(0u, (big5Text.size() - 6) % 2) << big5Text;
    EXPECT_EQ("\"x?\"", Described(1, "x\xa4", 2));
}

}  // namespace
