// The program's resources under ANSI code page 950: the string table and the dialog texts come
// out as the Big5 bytes of the built-in texts.
#include <windows.h>

#include <gtest/gtest.h>

#include "resource.h"

TEST(Resources, CodePageIs950) { EXPECT_EQ(950u, GetACP()); }

TEST(Resources, StringTableYieldsBig5) {
    char text[256];
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_UNINSTALL_TITLE, text, sizeof(text)), 0);
    // "解除安裝 Krelvo" in Big5.
    EXPECT_STREQ("\xB8\xD1\xB0\xA3\xA6\x77\xB8\xCB Krelvo", text);
}
