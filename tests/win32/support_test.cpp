// The support helpers on the real system: the lead-byte table of code page 950, the platform
// test in each Windows family, case-insensitive comparison and the file object.
#include <windows.h>

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include "support/error_state.h"
#include "support/file.h"
#include "support/system.h"
#include "support/text.h"
#include "test_support.h"

namespace {

bool Posing98() {
    const char* family = getenv("KVO_FAMILY");
    return family && strcmp(family, "98") == 0;
}

TEST(LeadByteTable, FilledFromCodePage950BeforeMain) {
    EXPECT_TRUE(IsMultiByteCodePage());
    EXPECT_TRUE(IsLeadByte(0xA6));
    EXPECT_TRUE(IsLeadByte(0xB3));
    EXPECT_FALSE(IsLeadByte('\\'));
    EXPECT_FALSE(IsLeadByte(0x7F));
}

TEST(LeadByteTable, RealBig5PathWithTrailBackslash) {
    // "C:\許功蓋\x": both 許 (A6 5C) and 功 (A5 5C) end in a backslash byte.
    std::string path = "C:\\" + Ansi("許功蓋") + "\\x";
    std::vector<char> buffer(path.begin(), path.end());
    buffer.push_back('\0');
    EXPECT_STREQ("x", FileNamePart(buffer.data()));
    std::string folder = "C:\\" + Ansi("許功");
    std::vector<char> f(folder.begin(), folder.end());
    f.resize(f.size() + 2, '\0');
    AppendBackslash(f.data());
    EXPECT_EQ(folder + "\\", std::string(f.data()));
}

TEST(NtMajorVersion, TellsTheFamilyAndAsksOnce) {
    int first = NtMajorVersion();
    if (Posing98()) {
        EXPECT_EQ(0, first);
    } else {
        EXPECT_GE(first, 5);
    }
    EXPECT_EQ(first, NtMajorVersion());
}

// The one fatal error ends the process at once with its recorded code.
TEST(ErrorStateDeathTest, MemoryErrorEndsTheProcessWithExitCode8) {
    EXPECT_EXIT(g_errorState.MemoryError(), ::testing::ExitedWithCode(8), "");
}

TEST(CompareIgnoreCase, EqualWithoutRegardToCase) {
    EXPECT_EQ(0, CompareIgnoreCase("combobox", "COMBOBOX"));
    EXPECT_EQ(0, CompareIgnoreCase("Krelvo.ZIP", "krelvo.zip"));
    EXPECT_EQ(-1, CompareIgnoreCase("Krelvo", "Krelvo.ZIP"));
    EXPECT_EQ(1, CompareIgnoreCase("b", "A"));
}

class FileTest : public ::testing::Test {
protected:
    std::string path = TestFolder() + "file_test.tmp";
    void Write(const char* data) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done;
        WriteFile(h, data, static_cast<DWORD>(strlen(data)), &done, nullptr);
        CloseHandle(h);
    }
    void TearDown() override { DeleteFileA(path.c_str()); }
};

TEST_F(FileTest, WithoutAFile) {
    File file;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Seek(100));  // nothing to move: counts as done
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Open((TestFolder() + "no such file.lng").c_str()));
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileTest, ReadsSeeksAndTells) {
    Write("0123456789");
    File file;
    ASSERT_TRUE(file.Open(path.c_str()));
    char buffer[16] = {};
    EXPECT_EQ(4, file.Read(buffer, 4));
    EXPECT_EQ(4, file.Tell());
    EXPECT_TRUE(file.Seek(8));
    EXPECT_EQ(2, file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(0, memcmp(buffer, "89", 2));
    EXPECT_EQ(0, file.Read(buffer, sizeof(buffer)));  // end of file
    // Opening another file releases the first: nothing holds it open any more, so it can be
    // deleted (it was opened without delete sharing).
    std::string other = path + "2";
    HANDLE h = CreateFileA(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    ASSERT_TRUE(file.Open(other.c_str()));
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ(0, file.Read(buffer, sizeof(buffer)));  // reads the new, empty file
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
    DeleteFileA(other.c_str());
}

TEST_F(FileTest, OpensAFileAnotherWriterHolds) {
    Write("abc");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    {
        File file;
        EXPECT_TRUE(file.Open(path.c_str()));
        char buffer[4];
        EXPECT_EQ(3, file.Read(buffer, sizeof(buffer)));
    }  // destruction closes
    CloseHandle(writer);
    // Closed by the destructor: the file can be deleted now.
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST_F(FileTest, FailedDiskReadReturnsMinusOne) {
    Write("abc");
    File file;
    ASSERT_TRUE(file.Open(path.c_str()));
    // A buffer the system cannot write into makes ReadFile fail.
    void* readOnly = VirtualAlloc(nullptr, 65536, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
    ASSERT_NE(nullptr, readOnly);
    EXPECT_EQ(-1, file.Read(readOnly, 65536));
    VirtualFree(readOnly, 0, MEM_RELEASE);
}

TEST(FilePipe, ReadsFromANamedPipe) {
    const char* name = "\\\\.\\pipe\\kvo_file_test";
    HANDLE server = CreateNamedPipeA(name, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0,
                                     nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, server);
    File file;
    ASSERT_TRUE(file.Open(name));
    DWORD done;
    ASSERT_TRUE(WriteFile(server, "marker", 6, &done, nullptr));
    char buffer[65536];
    EXPECT_EQ(6, file.Read(buffer, sizeof(buffer)));
    CloseHandle(server);
}

}  // namespace
