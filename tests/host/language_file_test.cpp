// The language file reader on real files: marker search, section limits, decoding, the index,
// the lookup and the scale entry.
#include <ctype.h>
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "lang/language_resources.h"
#include "language_test_util.h"
#include "support/text.h"

namespace {

std::string Lookup(const LanguageResources& language, char kind, const char* context,
                   const char* source, int capacity = 1024) {
    char buffer[1024];
    language.Translate(buffer, capacity, source, context, kind);
    return buffer;
}

TEST(LookupKey, StandardChecksumAndKnownKeys) {
    EXPECT_EQ(0xcbf43926u, Crc32("123456789", 9, 0));
    // Continuing a checksum equals taking it over the joined bytes.
    EXPECT_EQ(0xcbf43926u, Crc32("6789", 4, Crc32("12345", 5, 0)));
    EXPECT_EQ("50a17ae8", Key('$', "LTR", "LTR"));
    EXPECT_EQ("9b889d24", Key('$', "SETUPDLG", ""));
    // The context is optional: no context and an empty one give the same key.
    EXPECT_EQ(Key('s', nullptr, "abc"), Key('s', "", "abc"));
}

// The index of a large file: every entry kept in order, the block grown a share at a time rather
// than once for each entry; cleared, it is empty and takes entries again.
TEST(IndexArray, KeepsEveryEntryAndGrowsByShares) {
    Array<int> array;
    int blocks = 0;
    for (int i = 0; i < 10000; i++) {
        int before = array.capacity;
        array.Add(i);
        blocks += array.capacity != before;
        ASSERT_GE(array.capacity, array.count);
    }
    ASSERT_EQ(10000, array.count);
    for (int i = 0; i < 10000; i++)
        ASSERT_EQ(i, array.data[i]);
    EXPECT_LT(blocks, 40);
    array.Clear();
    EXPECT_EQ(0, array.count);
    array.Add(7);
    EXPECT_EQ(7, array.data[0]);
}

TEST(LanguageFile, ExampleDeclaresRightToLeftAndWidensSetupDialog) {
    LanguageResources language;
    language.LoadFile(WriteTestFile("example.lng",
        "Language file for the uninstaller\r\nTranslated by someone\r\n" + kMarker +
        "50a17ae8=\"RTL\"\r\n9b889d24=\"115*100\"\r\n").c_str());
    ASSERT_TRUE(language.IsLoaded());
    language.DecideDirection(false);
    EXPECT_TRUE(language.IsRightToLeft());
    int sx = 0, sy = 0;
    EXPECT_TRUE(language.DialogScale("SETUPDLG", &sx, &sy));
    EXPECT_EQ(115, sx);
    EXPECT_EQ(100, sy);
    EXPECT_FALSE(language.DialogScale("DONEDLG", &sx, &sy));
    EXPECT_EQ(100, sx);
    EXPECT_EQ(100, sy);
}

TEST(LanguageFile, DirectionComesFromResourceOrExactEntry) {
    LanguageResources language;
    language.DecideDirection(false);
    EXPECT_FALSE(language.IsRightToLeft());
    language.DecideDirection(true);
    EXPECT_TRUE(language.IsRightToLeft());

    language.LoadFile(WriteTestFile("rtl-lower.lng", kMarker + "50a17ae8=\"rtl\"\r\n").c_str());
    language.DecideDirection(false);
    EXPECT_FALSE(language.IsRightToLeft());
    language.LoadFile(WriteTestFile("ltr.lng", kMarker + "50a17ae8=\"LTR\"\r\n").c_str());
    language.DecideDirection(true);
    EXPECT_TRUE(language.IsRightToLeft());
    language.Unload();
    EXPECT_FALSE(language.IsRightToLeft());
    EXPECT_FALSE(language.IsLoaded());
}

TEST(LanguageFile, AbsentFilesLeaveTextsBuiltIn) {
    LanguageResources language;
    language.LoadFile((::testing::TempDir() + "no-such-file.lng").c_str());
    EXPECT_FALSE(language.IsLoaded());
    EXPECT_EQ("Hello", Lookup(language, 's', nullptr, "Hello"));

    language.LoadFile(WriteTestFile("short.lng", "***messages**").c_str());
    EXPECT_FALSE(language.IsLoaded()) << "fewer than 16 bytes";
    language.LoadFile(WriteTestFile("nomarker.lng", "just text\r\n" + Entry('s', nullptr, "a", "b")).c_str());
    EXPECT_FALSE(language.IsLoaded());
}

// A file whose marker starts at the given offset, followed by one entry.
std::string FileWithMarkerAt(size_t offset) {
    std::string filler(offset, 'x');
    for (size_t i = 100; i < offset; i += 100)
        filler[i] = '\n';
    return filler + kMarker + Entry('s', nullptr, "Hello", "Bonjour");
}

TEST(LanguageFile, MarkerSearchChunksAndLimit) {
    LanguageResources language;
    // Across the first chunk boundary (8192), and right at the end of the searched range:
    // the 16th chunk starts at 15 * 8176 = 122640 and tests offsets up to 130816.
    for (size_t offset : {size_t(8185), size_t(8176 - 15), size_t(8192 - 13), size_t(130816)}) {
        language.LoadFile(WriteTestFile("marker.lng", FileWithMarkerAt(offset)).c_str());
        ASSERT_TRUE(language.IsLoaded()) << offset;
        EXPECT_EQ("Bonjour", Lookup(language, 's', nullptr, "Hello")) << offset;
    }
    language.LoadFile(WriteTestFile("marker-late.lng", FileWithMarkerAt(130817)).c_str());
    EXPECT_FALSE(language.IsLoaded());
}

TEST(LanguageFile, MarkerForms) {
    LanguageResources language;
    std::string entry = Entry('s', nullptr, "Hello", "Bonjour");
    language.LoadFile(WriteTestFile("two.lng", "***messages**\r\n" + entry).c_str());
    EXPECT_EQ("Bonjour", Lookup(language, 's', nullptr, "Hello"));
    language.LoadFile(WriteTestFile("upper.lng", "***MESSAGES***\r\n" + entry).c_str());
    EXPECT_FALSE(language.IsLoaded());
    // The first occurrence counts, and the marker line itself is never an entry.
    language.LoadFile(WriteTestFile("twice.lng",
        "***messages***" + Key('s', nullptr, "A") + "=\"marker line\"\r\n" +
        Entry('s', nullptr, "B", "first") + "***messages***\r\n" +
        Entry('s', nullptr, "C", "second")).c_str());
    EXPECT_EQ("A", Lookup(language, 's', nullptr, "A"));
    EXPECT_EQ("first", Lookup(language, 's', nullptr, "B"));
    EXPECT_EQ("second", Lookup(language, 's', nullptr, "C"));
}

TEST(LanguageFile, EscapesAndLineBreaks) {
    LanguageResources language;
    language.LoadFile(WriteTestFile("escapes.lng", kMarker +
        Key('s', nullptr, "1") + "=\"a\\nb\\rc\\td\\\\e\\\"f\\xg\"\r\n" +
        Key('s', nullptr, "2") + "=\"split\r\nover two\"\r\n" +
        Key('s', nullptr, "3") + "=\"say \"hi\" twice\" comment\n" +
        // A backslash trail byte of a double-byte character starts an escape all the same.
        Key('s', nullptr, "4") + "=\"\xA5\\n\"\f" +
        Key('s', nullptr, "5") + "=\"no closing quote\r\n" +
        Key('s', nullptr, "6") + "=\r\n" +
        Key('s', nullptr, "7") + " =\"spaced\"\r\n" +
        Key('s', nullptr, "8") + "=\"ends with backslash\\").c_str());
    EXPECT_EQ("a\nb\rc\td\\e\"f\\xg", Lookup(language, 's', nullptr, "1"));
    EXPECT_EQ("split", Lookup(language, 's', nullptr, "2"));
    EXPECT_EQ("say \"hi\" twice", Lookup(language, 's', nullptr, "3"));
    EXPECT_EQ("\xA5\n", Lookup(language, 's', nullptr, "4"));
    EXPECT_EQ("no closing quote", Lookup(language, 's', nullptr, "5"));
    EXPECT_EQ("", Lookup(language, 's', nullptr, "6")) << "a line too short holds no text";
    EXPECT_EQ("\"spaced", Lookup(language, 's', nullptr, "7"));
    EXPECT_EQ("ends with backslash\\", Lookup(language, 's', nullptr, "8"));
}

TEST(LanguageFile, OnlyLinesStartingWithTheExactKeyAreEntries) {
    std::string key = Key('s', nullptr, "Hello");
    std::string upper = key;
    for (char& c : upper)
        c = static_cast<char>(toupper(c));
    ASSERT_NE(key, upper);
    LanguageResources language;
    language.LoadFile(WriteTestFile("lines.lng", kMarker + "\r\n\r\n   " + key + "=\"indented\"\r\n" +
        "\t" + key + "=\"tabbed\"\r\n" + upper + "=\"upper\"\r\n; " + key + "=\"comment\"\r\n").c_str());
    ASSERT_TRUE(language.IsLoaded());
    EXPECT_EQ("Hello", Lookup(language, 's', nullptr, "Hello"));
    // Kind and context are part of the key.
    language.LoadFile(WriteTestFile("kinds.lng", kMarker + Entry('$', "SETUPDLG", "Hello", "dialog")).c_str());
    EXPECT_EQ("Hello", Lookup(language, 's', nullptr, "Hello"));
    EXPECT_EQ("Hello", Lookup(language, '$', "DONEDLG", "Hello"));
    EXPECT_EQ("dialog", Lookup(language, '$', "SETUPDLG", "Hello"));
}

TEST(LanguageFile, SectionEndsAfter65536Bytes) {
    // The marker, filler lines, an entry wholly inside, then one cut by the limit after the
    // first ten bytes of its text, then one wholly beyond.
    std::string inside = Entry('s', nullptr, "in", "inside");
    std::string across = Key('s', nullptr, "across") + "=\"across the limit\"\r\n";
    std::string beyond = Entry('s', nullptr, "out", "outside");
    const size_t visible = 8 + 2 + 10;
    const size_t fillTo = 65536 - visible - inside.size();
    std::string body = kMarker;
    while (body.size() + 200 <= fillTo)
        body += std::string(98, 'f') + "\r\n";
    body += std::string(fillTo - body.size() - 2, 'g') + "\r\n" + inside;
    ASSERT_EQ(65536 - visible, body.size());
    LanguageResources language;
    language.LoadFile(WriteTestFile("limit.lng", "preamble\r\n" + body + across + beyond).c_str());
    ASSERT_TRUE(language.IsLoaded());
    EXPECT_EQ("inside", Lookup(language, 's', nullptr, "in"));
    EXPECT_EQ("across the", Lookup(language, 's', nullptr, "across"));
    EXPECT_EQ("out", Lookup(language, 's', nullptr, "out"));
    // A NUL byte ends the section the same way.
    language.LoadFile(WriteTestFile("nul.lng", kMarker + inside + std::string(1, '\0') + beyond).c_str());
    EXPECT_EQ("inside", Lookup(language, 's', nullptr, "in"));
    EXPECT_EQ("out", Lookup(language, 's', nullptr, "out"));
}

TEST(LanguageFile, LastLineAndShortLines) {
    LanguageResources language;
    // The last line has no separator after it: up to 255 bytes of it are taken.
    std::string longText(300, 'L');
    language.LoadFile(WriteTestFile("last.lng", kMarker + Entry('s', nullptr, "a", "first") +
        Key('s', nullptr, "b") + "=\"" + longText + "\"").c_str());
    EXPECT_EQ(std::string(255, 'L'), Lookup(language, 's', nullptr, "b"));
    EXPECT_EQ("first", Lookup(language, 's', nullptr, "a"));
    // A key in the last 8 bytes of the section is never a line of the index.
    language.LoadFile(WriteTestFile("tail.lng", kMarker + Key('s', nullptr, "c").substr(0, 8)).c_str());
    EXPECT_TRUE(language.IsLoaded());
    EXPECT_EQ(0, language.EntryLineCount());
    EXPECT_EQ("c", Lookup(language, 's', nullptr, "c"));
    // Nine bytes: the key and one more, the shortest indexed line; its text is empty.
    language.LoadFile(WriteTestFile("nine.lng", kMarker + Key('s', nullptr, "d") + "=").c_str());
    EXPECT_EQ(1, language.EntryLineCount());
    EXPECT_EQ("", Lookup(language, 's', nullptr, "d"));
}

TEST(LanguageFile, TextsAreCutToTheDestination) {
    LanguageResources language;
    language.LoadFile(WriteTestFile("cut.lng", kMarker + Entry('s', nullptr, "x", "0123456789") +
        Entry('s', nullptr, "dbcs", "ab\xB8\xD1\xB0\xA3")).c_str());
    char small[8];
    memset(small, '#', sizeof(small));
    language.Translate(small, sizeof(small), "x", nullptr, 's');
    EXPECT_STREQ("0123456", small);
    // Not found: the built-in text is cut the same way.
    language.Translate(small, 4, "abcdefgh", nullptr, 's');
    EXPECT_STREQ("abc", small);
    // On a double-byte code page a cut never splits a character.
    unsigned char saved[257];
    memcpy(saved, LeadByteTable, sizeof(saved));
    for (int b = 0x81; b <= 0xFE; b++)
        LeadByteTable[b] = 1;
    LeadByteTable[256] = 1;
    language.Translate(small, 4, "dbcs", nullptr, 's');
    EXPECT_STREQ("ab", small);
    language.Translate(small, 5, "dbcs", nullptr, 's');
    EXPECT_STREQ("ab\xB8\xD1", small);
    memcpy(LeadByteTable, saved, sizeof(saved));
}

TEST(LanguageFile, ManyEntriesAreAllFound) {
    std::string body = kMarker;
    for (int i = 0; i < 2000; i++) {
        std::string n = std::to_string(i);
        body += (i % 7 == 0 ? "; comment " + n + "\r\n" : "") + Entry('$', "SETUPDLG", n.c_str(), "t" + n);
    }
    LanguageResources language;
    language.LoadFile(WriteTestFile("many.lng", body).c_str());
    for (int i = 0; i < 2000; i++) {
        std::string n = std::to_string(i);
        ASSERT_EQ("t" + n, Lookup(language, '$', "SETUPDLG", n.c_str()));
    }
    EXPECT_EQ("2000", Lookup(language, '$', "SETUPDLG", "2000"));
}

TEST(DialogScale, EntryForms) {
    struct Case { const char* text; int sx, sy; bool scaled; } cases[] = {
        {"115*100", 115, 100, true},
        {"100*100", 100, 100, false},
        {"120", 100, 100, false},
        {"*120", 0, 120, true},
        {" +90 * -5x", 90, -5, true},
        {"abc*def", 0, 0, true},
        {"99999999999*1*2", ScaleLimit, 1, true},
        {"-99999999999*100", -ScaleLimit, 100, true},
    };
    for (const Case& c : cases) {
        LanguageResources language;
        language.LoadFile(WriteTestFile("scale.lng", kMarker + Entry('$', "DONEDLG", "", c.text)).c_str());
        int sx = 0, sy = 0;
        EXPECT_EQ(c.scaled, language.DialogScale("DONEDLG", &sx, &sy)) << c.text;
        EXPECT_EQ(c.sx, sx) << c.text;
        EXPECT_EQ(c.sy, sy) << c.text;
    }
}

TEST(DialogScale, GeometryTakenIn64BitsAndHeldToWindowCoordinates) {
    EXPECT_EQ(30000LL * 1000, ScaleLength(30000, ScaleLimit));
    EXPECT_EQ(-11, ScaleLength(-23, 50)) << "truncated toward zero";
    EXPECT_EQ(-41108, ScaleLength(12345, -333)) << "truncated toward zero";
    EXPECT_EQ(-298, ScaleLength(-199, 150)) << "truncated toward zero";
    EXPECT_EQ(-2147483648LL * 1000, ScaleLength(-2147483647 - 1, ScaleLimit));
    EXPECT_EQ(2147483647LL * -ScaleLimit / 100, ScaleLength(2147483647, -ScaleLimit));
    EXPECT_EQ(CoordinateLimit, ClampCoordinate(ScaleLength(30000, ScaleLimit)));
    EXPECT_EQ(-CoordinateLimit - 1, ClampCoordinate(ScaleLength(30000, -ScaleLimit)));
    EXPECT_EQ(-5, ClampCoordinate(-5));
}

TEST(MessageFormat, OnlyOneStringConversion) {
    EXPECT_TRUE(IsSingleStringFormat("delete %s manually"));
    EXPECT_TRUE(IsSingleStringFormat("100%% sure: %s"));
    EXPECT_FALSE(IsSingleStringFormat("no conversion"));
    EXPECT_FALSE(IsSingleStringFormat("%s and %s"));
    EXPECT_FALSE(IsSingleStringFormat("%d"));
    EXPECT_FALSE(IsSingleStringFormat("%s %n"));
    EXPECT_FALSE(IsSingleStringFormat("%10s"));
    EXPECT_FALSE(IsSingleStringFormat("%s trailing %"));
}

}  // namespace
