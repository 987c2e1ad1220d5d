// Reading Uninstall.lst: line limits, trimming, and the rule that no entry leaves the folder.
#include <stdio.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/uninstall_list.h"
#include "test_support.h"

namespace {

// A list as the installer (or an attacker) wrote it, read back as the joined paths.
std::vector<std::string> Paths(const std::string& bytes, const char* folder = "C:\\Kvo\\") {
    FILE* list = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), list);
    rewind(list);
    std::vector<std::string> paths;
    char path[ListPathSize];
    while (NextListPath(list, folder, path))
        paths.push_back(path);
    fclose(list);
    return paths;
}

using Strings = std::vector<std::string>;

TEST(UninstallList, LineEndsAndTrailingBlanks) {
    EXPECT_EQ(Strings({"C:\\Kvo\\a.txt", "C:\\Kvo\\b.txt", "C:\\Kvo\\sub\\c d.txt", "C:\\Kvo\\last"}),
              Paths("a.txt\r\nb.txt \t\n\n \r\n\r\nsub\\c d.txt  \r\nlast"));
    // Leading blanks stay part of the name.
    EXPECT_EQ(Strings({"C:\\Kvo\\  lead"}), Paths("  lead\n"));
    EXPECT_EQ(Strings(), Paths(""));
    EXPECT_EQ(Strings(), Paths("\n\r\n  \n\t\n"));
}

TEST(UninstallList, EntriesThatCouldLeaveTheFolderAreSkipped) {
    const char* hostile[] = {
        "..\\..\\x", "..", "sub\\..\\..\\x", "sub/../../x", "sub\\..", "C:\\x", "C:x", "x:stream",
        "\\x", "/x", "\\\\server\\share\\x", "...\\x", ". .\\x", "sub\\.. \\x", ".\\x", "sub\\.",
    };
    for (const char* entry : hostile) {
        EXPECT_FALSE(IsEntryInsideFolder(entry)) << entry;
        EXPECT_EQ(Strings(), Paths(std::string(entry) + "\r\n")) << entry;
    }
    const char* fine[] = {"x", "sub\\x", "sub/x", "..x", "x..", "sub\\...txt", "a b\\.hidden", "x."};
    for (const char* entry : fine)
        EXPECT_TRUE(IsEntryInsideFolder(entry)) << entry;
    // The good entries around a hostile one are still read.
    EXPECT_EQ(Strings({"C:\\Kvo\\a", "C:\\Kvo\\b"}), Paths("a\n..\\..\\Windows\\x\nb\n"));
}

TEST(UninstallList, DoubleByteTrailBackslashDividesNothing) {
    // B3 5C is one Big5 character whose trail byte is a backslash.
    const char entry[] = "\xB3\x5C..\\x";
    const char trail[] = "sub\\\xB3\x5C";
    {
        CodePageScope big5(true);
        EXPECT_TRUE(IsEntryInsideFolder(entry));
        EXPECT_TRUE(IsEntryInsideFolder(trail));
        // A lead byte before a real divider must not hide a following "..".
        EXPECT_FALSE(IsEntryInsideFolder("a\\..\\\xB3"));
        EXPECT_FALSE(IsEntryInsideFolder("\xB3\x5C:"));
    }
    {
        // On a single-byte code page the same bytes are a divider and a parent folder.
        CodePageScope single(false);
        EXPECT_FALSE(IsEntryInsideFolder(entry));
    }
}

TEST(UninstallList, OverlongLinesAreSkippedWhole) {
    // 2047 bytes before the line break still fit the 2048-byte read; the join then decides.
    std::string fits(2047, 'a');
    std::string tooLong = std::string(2048, 'a');
    std::string hostileTail = std::string(3000 - 8, 'a') + "keep.txt";
    FILE* list = tmpfile();
    std::string bytes = fits + "\n" + tooLong + "\r\n" + hostileTail + "\n" + "next\n";
    fwrite(bytes.data(), 1, bytes.size(), list);
    rewind(list);
    char line[ListLineSize];
    ASSERT_TRUE(ReadListLine(list, line));
    EXPECT_EQ(fits, line);
    ASSERT_TRUE(ReadListLine(list, line));
    EXPECT_STREQ("", line);
    ASSERT_TRUE(ReadListLine(list, line));
    EXPECT_STREQ("", line);
    ASSERT_TRUE(ReadListLine(list, line));
    EXPECT_STREQ("next", line);
    EXPECT_FALSE(ReadListLine(list, line));
    fclose(list);

    // No piece of the long line ("keep.txt") is taken for an entry.
    EXPECT_EQ(Strings({"C:\\Kvo\\next"}), Paths(hostileTail + "\r\nnext\r\n"));
    EXPECT_EQ(Strings(), Paths(hostileTail));
}

TEST(UninstallList, LineWithNulByteIsSkipped) {
    EXPECT_EQ(Strings({"C:\\Kvo\\b"}), Paths(std::string("a\0..\\..\\x\nb\n", 13)));
}

TEST(UninstallList, JoinedPathMustFit1023Characters) {
    std::string folder = "C:\\" + std::string(1000, 'f') + "\\";  // 1004 bytes
    std::string longest(1023 - folder.size(), 'n');
    std::string tooLong = longest + "n";
    Strings paths = Paths(tooLong + "\n" + longest + "\n", folder.c_str());
    ASSERT_EQ(1u, paths.size());
    EXPECT_EQ(folder + longest, paths[0]);
    EXPECT_EQ(1023u, paths[0].size());
}

TEST(UninstallList, RootFolderJoinsDirectly) {
    EXPECT_EQ(Strings({"C:\\a.txt"}), Paths("a.txt\n", "C:\\"));
}

}  // namespace
