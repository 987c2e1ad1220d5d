// Deletions at the restart: which paths may be scheduled, and the NUL= lines of WININIT.INI.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "driver/restart_deletion.h"

namespace {

// The INI text after adding a line for path, or "<full>" when it did not fit.
std::string Added(const std::string& text, const char* path, int capacity = 256) {
    char buffer[256];
    memcpy(buffer, text.data(), text.size());
    int length = AddDeletionLine(buffer, static_cast<int>(text.size()), capacity, path);
    return length < 0 ? "<full>" : std::string(buffer, length);
}

TEST(RestartDeletion, LinesJoinTheRenameSectionOrMakeIt) {
    EXPECT_EQ("[rename]\r\nNUL=C:\\K\\A.DLL\r\n", Added("", "C:\\K\\A.DLL"));
    // Other sections stay; the line follows the header, before the lines already there.
    EXPECT_EQ("[a]\r\nx=1\r\n[Rename]\r\nNUL=C:\\N\r\nNUL=C:\\OLD\r\nC:\\B=C:\\C\r\n[z]\r\n",
              Added("[a]\r\nx=1\r\n[Rename]\r\nNUL=C:\\OLD\r\nC:\\B=C:\\C\r\n[z]\r\n", "C:\\N"));
    // A last line without its line break; a header that is the last line.
    EXPECT_EQ("[a]\r\nx=1\r\n[rename]\r\nNUL=C:\\N\r\n", Added("[a]\r\nx=1", "C:\\N"));
    EXPECT_EQ("[RENAME]\r\nNUL=C:\\N\r\n", Added("[RENAME]", "C:\\N"));
    // Look-alikes are other sections.
    EXPECT_EQ("[renamed]\r\n{rename}\r\n[rename]\r\nNUL=C:\\N\r\n", Added("[renamed]\r\n{rename}", "C:\\N"));
    EXPECT_EQ("<full>", Added("[rename]\r\n", "C:\\N", 19));
    EXPECT_EQ("[rename]\r\nNUL=C:\\N\r\n", Added("[rename]\r\n", "C:\\N", 20));
}

TEST(RestartDeletion, NothingOutsideTheFolder) {
    for (const char* inside : {"C:\\K\\a.dll", "C:\\K\\sub", "C:\\K"})
        EXPECT_TRUE(IsInOrBelowFolder(inside, "C:\\K\\")) << inside;
    for (const char* outside : {"C:\\K\\", "C:\\", "C:\\Ka", "C:\\Kb\\x", "D:\\K\\x", "C:"})
        EXPECT_FALSE(IsInOrBelowFolder(outside, "C:\\K\\")) << outside;
    // A drive's root is never scheduled itself.
    EXPECT_TRUE(IsInOrBelowFolder("C:\\a.dll", "C:\\"));
    EXPECT_FALSE(IsInOrBelowFolder("C:", "C:\\"));

    char path[] = "C:\\K\\sub\\a.dll";
    EXPECT_TRUE(CutToParentFolder(path, "C:\\K\\"));
    EXPECT_STREQ("C:\\K\\sub", path);
    EXPECT_TRUE(CutToParentFolder(path, "C:\\K\\"));
    EXPECT_STREQ("C:\\K", path);
    EXPECT_FALSE(CutToParentFolder(path, "C:\\K\\"));
    char rooted[] = "C:\\a.dll";
    EXPECT_FALSE(CutToParentFolder(rooted, "C:\\"));
}

}  // namespace
