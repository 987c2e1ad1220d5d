// The values of the entry in the list of removable programs that are made from figures.
#include <gtest/gtest.h>

#include <string>

#include "driver/entry_values.h"

namespace {

std::string Version(unsigned high, unsigned low) {
    char text[VersionTextSize];
    FormatVersion(text, high, low);
    return text;
}

TEST(EntryValues, VersionShowsTheRevisionOnlyWhenItIsNotZero) {
    EXPECT_EQ("5.2.1", Version(0x00050002, 0x00010000));
    EXPECT_EQ("0.0.0", Version(0, 0));
    EXPECT_EQ("65535.65535.65535.65535", Version(0xFFFFFFFF, 0xFFFFFFFF));
}

TEST(EntryValues, DateHasFourTwoAndTwoDigits) {
    char text[DateTextSize];
    FormatDate(text, 2027, 1, 9);
    EXPECT_STREQ("20270109", text);
    FormatDate(text, 1998, 12, 31);
    EXPECT_STREQ("19981231", text);
}

TEST(EntryValues, StringInfoPathPutsTheLanguageFirst) {
    char path[StringInfoPathSize];
    FormatStringInfoPath(path, 0x04B00409, "CompanyName");
    EXPECT_STREQ("\\StringFileInfo\\040904B0\\CompanyName", path);
    FormatStringInfoPath(path, 0x03B60404, "CompanyName");
    EXPECT_STREQ("\\StringFileInfo\\040403B6\\CompanyName", path);
}

TEST(EntryValues, KilobytesRoundUpAndStopAtTheLargestDword) {
    EXPECT_EQ(0u, KilobytesRoundedUp(0));
    EXPECT_EQ(1u, KilobytesRoundedUp(1));
    EXPECT_EQ(1u, KilobytesRoundedUp(1024));
    EXPECT_EQ(2u, KilobytesRoundedUp(1025));
    EXPECT_EQ(0xFFFFFFFFu, KilobytesRoundedUp(0xFFFFFFFFull * 1024 + 1));
}

}  // namespace
