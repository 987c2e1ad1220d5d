// The association list, the version rules of the template form, and the program-folder paths.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "setup/setup_options.h"
#include "shell/associations.h"
#include "shell/program_file.h"

namespace {

std::vector<std::string> Split(const char* entry) {
    std::vector<std::string> parts;
    for (const char* rest = entry; *rest;) {
        char extension[16];
        rest = NextExtension(rest, extension, sizeof(extension));
        parts.push_back(extension);
    }
    return parts;
}

TEST(AssociationList, NineteenExtensionsInOrder) {
    std::vector<std::string> all;
    for (int i = 0; i < ArchiveKindCount; i++) {
        std::vector<std::string> parts = Split(AssociationList[i]);
        ASSERT_FALSE(parts.empty());
        // The first extension of each entry is the kind's own, where its choice is saved.
        EXPECT_EQ(ArchiveKindExtensions[i], parts[0]);
        all.insert(all.end(), parts.begin(), parts.end());
    }
    const std::vector<std::string> expected = {".kvo", ".zip", ".cab", ".arj", ".lzh", ".lha", ".ace",
                                               ".tar", ".gz",  ".tgz", ".uue", ".xxe", ".uu",  ".bz2",
                                               ".tbz2", ".bz", ".tbz", ".jar", ".iso"};
    EXPECT_EQ(expected, all);
}

TEST(AssociationList, SplittingIsBoundedAndEnds) {
    EXPECT_EQ(std::vector<std::string>({".a", ".b"}), Split(".a.b"));
    EXPECT_EQ(std::vector<std::string>({".a"}), Split(".a"));
    EXPECT_EQ(std::vector<std::string>({"."}), Split("."));
    char small[4];
    const char* rest = NextExtension(".abcdef.g", small, sizeof(small));
    EXPECT_STREQ(".ab", small);
    EXPECT_STREQ(".g", rest);
}

TEST(Templates, FileFormFromWindowsMeAnd2000On) {
    EXPECT_FALSE(UsesTemplateFile(4, 0));   // Windows 95, NT 4.0
    EXPECT_FALSE(UsesTemplateFile(4, 10));  // Windows 98
    EXPECT_TRUE(UsesTemplateFile(4, 90));   // Windows Me
    EXPECT_TRUE(UsesTemplateFile(5, 0));    // Windows 2000
    EXPECT_TRUE(UsesTemplateFile(6, 1));
    EXPECT_TRUE(UsesTemplateFile(10, 0));  // Windows 10 and 11, as the manifest makes them report
    // NT 3.1 and 3.51: a minor version above 10 counts, whatever the major version.
    EXPECT_FALSE(UsesTemplateFile(3, 10));
    EXPECT_TRUE(UsesTemplateFile(3, 51));
}

TEST(VolumeExtensions, CountsAndNames) {
    EXPECT_EQ(30, AssociatedVolumeCount(true));
    EXPECT_EQ(100, AssociatedVolumeCount(false));
    EXPECT_EQ(100, ReleasedVolumeCount);
    char name[8];
    VolumeExtension(0, name);
    EXPECT_STREQ(".r00", name);
    VolumeExtension(7, name);
    EXPECT_STREQ(".r07", name);
    VolumeExtension(99, name);
    EXPECT_STREQ(".r99", name);
}

TEST(ProgramFile, ReplacesTheNamePartWithinTheBuffer) {
    char path[32] = "C:\\Program Files\\Kvo\\u.exe";
    EXPECT_TRUE(ReplaceFileName(path, sizeof(path), "kvoext.dll"));
    EXPECT_STREQ("C:\\Program Files\\Kvo\\kvoext.dll", path);
    // 21 characters of folder + 10 + terminator fill 32 bytes exactly; 11 are one too many.
    char tight[32] = "C:\\Program Files\\Kvo\\u.exe";
    EXPECT_FALSE(ReplaceFileName(tight, sizeof(tight), "Krelvo.exe1"));
    EXPECT_STREQ("C:\\Program Files\\Kvo\\u.exe", tight);
    EXPECT_TRUE(ReplaceFileName(tight, sizeof(tight), "Krelvo.exe"));
    EXPECT_STREQ("C:\\Program Files\\Kvo\\Krelvo.exe", tight);
    char bare[16] = "u.exe";
    EXPECT_TRUE(ReplaceFileName(bare, sizeof(bare), "zipnew.dat"));
    EXPECT_STREQ("zipnew.dat", bare);
}

}  // namespace
