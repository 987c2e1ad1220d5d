// The registry layer on Wine's registry: the path rule, value forms, reads with defaults,
// single-key and tree deletion.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "reg_dump.h"
#include "registry/registry.h"

namespace {

const char* const Sandbox = "KvoRegistryTest";  // under HKEY_CLASSES_ROOT

// Opens (or creates) base\name\name\... levels deep, one key at a time; with removeAfter,
// deletes the chain bottom up. True when every level was there.
bool WalkChain(HKEY root, const std::string& base, const std::string& name, int levels,
               bool create, bool removeAfter = false) {
    HKEY keys[8];
    int opened = 0;
    HKEY parent = root;
    std::string first = base;
    for (int i = 0; i <= levels; i++) {
        const char* sub = i == 0 ? first.c_str() : name.c_str();
        HKEY key;
        LONG result = create ? RegCreateKeyExA(parent, sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &key, nullptr)
                             : RegOpenKeyExA(parent, sub, 0, KEY_ALL_ACCESS, &key);
        if (result != ERROR_SUCCESS)
            break;
        keys[opened++] = key;
        parent = key;
    }
    bool complete = opened == levels + 1;
    for (int i = opened - 1; i >= 0; i--) {
        if (removeAfter && i + 1 < opened)
            RegDeleteKeyA(keys[i], name.c_str());
        RegCloseKey(keys[i]);
    }
    if (removeAfter)
        RegDeleteKeyA(root, base.c_str());
    return complete;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        WipeRegTree(HKEY_CLASSES_ROOT, Sandbox);
        WipeRegTree(HKEY_CURRENT_USER, "Software\\Krelvo");
        WipeRegTree(HKEY_CURRENT_USER, "Software\\KvoOther");
    }
    void TearDown() override { SetUp(); }
    // A path in the sandbox; stays valid for the next seven calls.
    const char* In(const std::string& rest) {
        static std::string ring[8];
        static int next;
        next = (next + 1) & 7;
        ring[next] = std::string(Sandbox) + "\\" + rest;
        return ring[next].c_str();
    }
};

TEST_F(Registry, CurrentUserPathsLieBelowTheProductKey) {
    WriteSettingString("Setup", "Name", "text");
    EXPECT_EQ("text", GetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup", "Name"));
    WriteSettingDword("", "Top", 5);
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(GetRegValue(HKEY_CURRENT_USER, "Software\\Krelvo", "Top", &type, &bytes));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x05\0\0\0", 4), bytes);
    // A leading backslash addresses HKEY_CURRENT_USER itself.
    WriteRegString(HKEY_CURRENT_USER, "\\Software\\KvoOther", "", "x");
    EXPECT_EQ("x", GetRegText(HKEY_CURRENT_USER, "Software\\KvoOther", ""));
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, "Software\\Krelvo\\Software\\KvoOther"));
    // Other roots take the path as given.
    WriteRegString(HKEY_CLASSES_ROOT, In("Plain"), "", "y");
    EXPECT_EQ("y", GetRegText(HKEY_CLASSES_ROOT, In("Plain"), ""));

    char buffer[16];
    EXPECT_TRUE(ReadSettingString("Setup", "Name", buffer, "def", sizeof(buffer)));
    EXPECT_STREQ("text", buffer);
    EXPECT_EQ(5u, ReadSettingDword("", "Top", 9));
    // Deleting the tree with an empty path removes the whole product key.
    DeleteRegTree(HKEY_CURRENT_USER, "");
    EXPECT_FALSE(RegKeyPresent(HKEY_CURRENT_USER, "Software\\Krelvo"));
    EXPECT_TRUE(RegKeyPresent(HKEY_CURRENT_USER, "Software\\KvoOther"));
}

TEST_F(Registry, ValueFormsAreExact) {
    WriteRegString(HKEY_CLASSES_ROOT, In("V"), "Empty", "");
    WriteRegString(HKEY_CLASSES_ROOT, In("V"), "Text", "abc");
    WriteRegString(HKEY_CLASSES_ROOT, In("V"), "", "default");
    WriteRegDword(HKEY_CLASSES_ROOT, In("V"), "Number", 0x01020304);
    const unsigned char bytes[3] = {0, 0xFF, 7};
    WriteRegBinary(HKEY_CLASSES_ROOT, In("V"), "Bytes", bytes, 3);
    WriteRegBinary(HKEY_CLASSES_ROOT, In("V"), "None", bytes, 0);
    EXPECT_EQ("K KvoRegistryTest\\V\n"
              "V KvoRegistryTest\\V|Bytes|3|00FF07\n"
              "V KvoRegistryTest\\V|Empty|1|00\n"
              "V KvoRegistryTest\\V|None|3|\n"
              "V KvoRegistryTest\\V|Number|4|04030201\n"
              "V KvoRegistryTest\\V|Text|1|61626300\n"
              "V KvoRegistryTest\\V||1|64656661756C7400\n",
              DumpRegTree(HKEY_CLASSES_ROOT, In("V")));
}

TEST_F(Registry, StringReadsAlwaysEndTerminatedOrTakeTheDefault) {
    char buffer[8];
    // Missing key, missing value: the default, also an empty one.
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_FALSE(ReadRegString(HKEY_CLASSES_ROOT, In("Missing"), "", buffer, "", sizeof(buffer)));
    EXPECT_STREQ("", buffer);
    CreateRegKey(HKEY_CLASSES_ROOT, In("R"));
    EXPECT_FALSE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "No", buffer, "dflt", sizeof(buffer)));
    EXPECT_STREQ("dflt", buffer);

    // Too large for the buffer: the default.
    SetRegText(HKEY_CLASSES_ROOT, In("R"), "Long", "12345678");
    EXPECT_FALSE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "Long", buffer, "d", sizeof(buffer)));
    EXPECT_STREQ("d", buffer);
    // Seven characters and the terminator fill the buffer exactly.
    SetRegText(HKEY_CLASSES_ROOT, In("R"), "Fits", "1234567");
    EXPECT_TRUE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "Fits", buffer, "d", sizeof(buffer)));
    EXPECT_STREQ("1234567", buffer);

    // Stored without a terminator, as REG_SZ or another type.
    SetRegBytes(HKEY_CLASSES_ROOT, In("R"), "Bare", REG_SZ, "abc", 3);
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_TRUE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "Bare", buffer, "d", sizeof(buffer)));
    EXPECT_STREQ("abc", buffer);
    SetRegBytes(HKEY_CLASSES_ROOT, In("R"), "Bin", REG_BINARY, "abcdefgh", 8);
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_FALSE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "Bin", buffer, "d", sizeof(buffer)));
    EXPECT_STREQ("d", buffer);
    SetRegBytes(HKEY_CLASSES_ROOT, In("R"), "Bin7", REG_BINARY, "abcdefg", 7);
    EXPECT_TRUE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "Bin7", buffer, "d", sizeof(buffer)));
    EXPECT_STREQ("abcdefg", buffer);
    DWORD number = 0x00434241;  // "ABC" and a zero byte
    SetRegBytes(HKEY_CLASSES_ROOT, In("R"), "Num", REG_DWORD, &number, 4);
    EXPECT_TRUE(ReadRegString(HKEY_CLASSES_ROOT, In("R"), "Num", buffer, "d", sizeof(buffer)));
    EXPECT_STREQ("ABC", buffer);
}

TEST_F(Registry, DwordReadsNeedExactlyFourBytes) {
    DWORD value = 7;
    SetRegBytes(HKEY_CLASSES_ROOT, In("D"), "Four", REG_DWORD, &value, 4);
    SetRegBytes(HKEY_CLASSES_ROOT, In("D"), "Two", REG_BINARY, "\x01\x00", 2);
    SetRegBytes(HKEY_CLASSES_ROOT, In("D"), "Zero", REG_BINARY, "", 0);
    SetRegBytes(HKEY_CLASSES_ROOT, In("D"), "Eight", REG_BINARY, "\x01\0\0\0\0\0\0\0", 8);
    EXPECT_EQ(7u, ReadRegDword(HKEY_CLASSES_ROOT, In("D"), "Four", 99));
    EXPECT_EQ(99u, ReadRegDword(HKEY_CLASSES_ROOT, In("D"), "Two", 99));
    EXPECT_EQ(99u, ReadRegDword(HKEY_CLASSES_ROOT, In("D"), "Zero", 99));
    EXPECT_EQ(99u, ReadRegDword(HKEY_CLASSES_ROOT, In("D"), "Eight", 99));
    EXPECT_EQ(99u, ReadRegDword(HKEY_CLASSES_ROOT, In("D"), "Missing", 99));
    EXPECT_EQ(99u, ReadRegDword(HKEY_CLASSES_ROOT, In("Nowhere"), "Four", 99));
}

TEST_F(Registry, BinaryReadsAreBounded) {
    SetRegBytes(HKEY_CLASSES_ROOT, In("B"), "Data", REG_BINARY, "\x01\x02\x03", 3);
    unsigned char buffer[4] = {9, 9, 9, 9};
    DWORD count = 77;
    EXPECT_TRUE(ReadRegBinary(HKEY_CLASSES_ROOT, In("B"), "Data", buffer, 4, &count));
    EXPECT_EQ(3u, count);
    EXPECT_EQ(0, memcmp(buffer, "\x01\x02\x03\x09", 4));
    count = 77;
    EXPECT_FALSE(ReadRegBinary(HKEY_CLASSES_ROOT, In("B"), "Data", buffer, 2, &count));
    EXPECT_EQ(77u, count);
    EXPECT_FALSE(ReadRegBinary(HKEY_CLASSES_ROOT, In("B"), "None", buffer, 4, &count));
    // With its type, which a write gives back unchanged.
    SetRegText(HKEY_CLASSES_ROOT, In("B"), "Text", "ab");
    DWORD type = 0;
    EXPECT_TRUE(ReadRegValue(HKEY_CLASSES_ROOT, In("B"), "Text", buffer, 4, &count, &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    WriteRegValue(HKEY_CLASSES_ROOT, In("B"), "Copy", type, buffer, count);
    std::string copy;
    type = 0;
    ASSERT_TRUE(GetRegValue(HKEY_CLASSES_ROOT, In("B"), "Copy", &type, &copy));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("ab", 3), copy);
}

TEST_F(Registry, PathBoundIs236Characters) {
    // Sandbox\ + segments: exactly 236 and 237 characters.
    std::string base = std::string(Sandbox) + "\\";
    std::string path236 = base + std::string(100, 'a') + "\\" + std::string(236 - base.size() - 101, 'b');
    std::string path237 = path236 + "c";
    ASSERT_EQ(236u, path236.size());
    WriteRegString(HKEY_CLASSES_ROOT, path236.c_str(), "", "ok");
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, path236.c_str()));
    WriteRegString(HKEY_CLASSES_ROOT, path237.c_str(), "", "no");
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, path237));
    CreateRegKey(HKEY_CLASSES_ROOT, path237);
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, path237.c_str()));
    char buffer[8];
    EXPECT_FALSE(ReadRegString(HKEY_CLASSES_ROOT, path237.c_str(), "", buffer, "d", sizeof(buffer)));
    DeleteRegKey(HKEY_CLASSES_ROOT, path237.c_str());
    DeleteRegTree(HKEY_CLASSES_ROOT, path237.c_str());
    EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, path237));
    DeleteRegKey(HKEY_CLASSES_ROOT, path236.c_str());
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, path236));
}

TEST_F(Registry, DeletesAreSilentAndCreateNothing) {
    int failures = FailedRegistryChanges();
    DeleteRegValue(HKEY_CLASSES_ROOT, In("Ghost"), "Value");
    DeleteRegKey(HKEY_CLASSES_ROOT, In("Ghost"));
    DeleteRegTree(HKEY_CLASSES_ROOT, In("Ghost"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Ghost")));
    EXPECT_EQ(failures, FailedRegistryChanges()) << "what is not there is deleted already";
    SetRegText(HKEY_CLASSES_ROOT, In("K"), "A", "1");
    SetRegText(HKEY_CLASSES_ROOT, In("K"), "B", "2");
    DeleteRegValue(HKEY_CLASSES_ROOT, In("K"), "A");
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, In("K"), "A"));
    EXPECT_EQ("2", GetRegText(HKEY_CLASSES_ROOT, In("K"), "B"));
    // An empty path never reaches the root.
    DeleteRegKey(HKEY_CLASSES_ROOT, "");
    DeleteRegTree(HKEY_CLASSES_ROOT, "");
    EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, In("K")));
}

TEST_F(Registry, DeleteRegKeyFollowsTheFamily) {
    CreateRegKey(HKEY_CLASSES_ROOT, In("Parent\\Child"));
    int failures = FailedRegistryChanges();
    DeleteRegKey(HKEY_CLASSES_ROOT, In("Parent"));
    EXPECT_EQ(failures, FailedRegistryChanges()) << "a key kept for its subkeys is no failure";
    if (Family() == "nt")
        EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Parent\\Child")));
    else
        EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Parent")));
    DeleteRegKey(HKEY_CLASSES_ROOT, In("Parent\\Child"));
    DeleteRegKey(HKEY_CLASSES_ROOT, In("Parent"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Parent")));
}

// The system refuses a key below a volatile one unless it is volatile too: a real refusal.
// The same within a batch, where the refused key must not stand in for the next one.
TEST_F(Registry, RefusedChangesAreCounted) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, In("Volatile"), 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    for (bool batch : {false, true}) {
        if (batch)
            BeginRegistryBatch();
        int failures = FailedRegistryChanges();
        WriteRegString(HKEY_CLASSES_ROOT, In("Volatile\\Child"), "A", "1");
        EXPECT_EQ(failures + 1, FailedRegistryChanges()) << batch;
        WriteRegString(HKEY_CLASSES_ROOT, In("Volatile"), "A", "1");
        WriteRegString(HKEY_CLASSES_ROOT, In("Volatile\\Child"), "B", "1");
        EXPECT_EQ(failures + 2, FailedRegistryChanges()) << batch;
        EXPECT_EQ("1", GetRegText(HKEY_CLASSES_ROOT, In("Volatile"), "A"));
        if (batch)
            EndRegistryBatch();
    }
}

// Within a batch the layer keeps a key open between operations: every read and change still
// reaches the key its root and path name, also after that key was deleted and made anew.
TEST_F(Registry, ABatchReachesTheNamedKeyEveryTime) {
    BeginRegistryBatch();
    WriteRegString(HKEY_CLASSES_ROOT, In("B"), "A", "1");
    WriteRegDword(HKEY_CLASSES_ROOT, In("B"), "D", 7);
    char text[8];
    EXPECT_TRUE(ReadRegString(HKEY_CLASSES_ROOT, In("B"), "A", text, "", sizeof(text)));
    EXPECT_STREQ("1", text);
    // The same path below another root, and a key below the kept one, are other keys.
    WriteSettingString(In("B"), "A", "user");
    WriteRegString(HKEY_CLASSES_ROOT, In("B\\Sub"), "A", "sub");
    EXPECT_EQ(7u, ReadRegDword(HKEY_CLASSES_ROOT, In("B"), "D", 0));
    EXPECT_TRUE(RegKeyHasSubkeys(HKEY_CLASSES_ROOT, In("B")));
    EXPECT_EQ("1", GetRegText(HKEY_CLASSES_ROOT, In("B"), "A"));
    EXPECT_EQ("user", GetRegText(HKEY_CURRENT_USER, std::string("Software\\Krelvo\\") + In("B"), "A"));
    DeleteRegValue(HKEY_CLASSES_ROOT, In("B"), "A");
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, In("B"), "A"));
    // Deleted and written again, read first: the new key, not the deleted one.
    int failures = FailedRegistryChanges();
    EXPECT_EQ(7u, ReadRegDword(HKEY_CLASSES_ROOT, In("B"), "D", 0));
    DeleteRegTree(HKEY_CLASSES_ROOT, In("B"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, In("B")));
    WriteRegString(HKEY_CLASSES_ROOT, In("B"), "C", "3");
    EXPECT_EQ("3", GetRegText(HKEY_CLASSES_ROOT, In("B"), "C"));
    EXPECT_EQ(0u, ReadRegDword(HKEY_CLASSES_ROOT, In("B"), "D", 0));
    DeleteRegKey(HKEY_CLASSES_ROOT, In("B"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("B")));
    WriteRegString(HKEY_CLASSES_ROOT, In("B"), "E", "5");
    EXPECT_EQ("5", GetRegText(HKEY_CLASSES_ROOT, In("B"), "E"));
    EXPECT_EQ(failures, FailedRegistryChanges());
    // The end of a batch lets the key go: deleted behind the layer's back, it is made anew.
    EndRegistryBatch();
    WipeRegTree(HKEY_CLASSES_ROOT, In("B"));
    BeginRegistryBatch();
    WriteRegString(HKEY_CLASSES_ROOT, In("B"), "F", "6");
    EndRegistryBatch();
    EXPECT_EQ("6", GetRegText(HKEY_CLASSES_ROOT, In("B"), "F"));
    EXPECT_EQ(failures, FailedRegistryChanges());
}

// Three levels of five children each, created in an order that differs from the alphabetical
// enumeration order, next to siblings that must stay.
TEST_F(Registry, DeleteRegTreeRemovesAWideDeepTreeAndLeavesSiblings) {
    const char* names[5] = {"m", "B", "z", "a", "Q"};
    for (const char* a : names)
        for (const char* b : names)
            for (const char* c : names) {
                std::string path = std::string(In("Tree\\")) + a + "\\" + b + "\\" + c;
                SetRegText(HKEY_CLASSES_ROOT, path, "v", "x");
            }
    SetRegText(HKEY_CLASSES_ROOT, In("Tree2\\x"), "", "keep");
    SetRegText(HKEY_CLASSES_ROOT, In("Tre"), "", "keep");
    SetRegText(HKEY_CLASSES_ROOT, In("Tree"), "", "gone");
    DeleteRegTree(HKEY_CLASSES_ROOT, In("Tree"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Tree")));
    EXPECT_EQ("keep", GetRegText(HKEY_CLASSES_ROOT, In("Tree2\\x"), ""));
    EXPECT_EQ("keep", GetRegText(HKEY_CLASSES_ROOT, In("Tre"), ""));
}

TEST_F(Registry, DeleteRegTreeWithLongNamesAndDeepPathsEnds) {
    // Names of 200 and 255 characters, and of 255 double-byte characters (510 bytes in code
    // page 950), are deleted like any other. Such paths are built key by key: the registry
    // refuses paths this long in one call.
    std::string n200(200, 'n'), n255(255, 'w'), wide255;
    for (int i = 0; i < 255; i++)
        wide255 += "\xA4\xA4";
    ASSERT_EQ(950u, GetACP());
    ASSERT_TRUE(WalkChain(HKEY_CLASSES_ROOT, In("Long"), n200, 2, true));
    ASSERT_TRUE(WalkChain(HKEY_CLASSES_ROOT, In("Long"), n255, 1, true));
    ASSERT_TRUE(WalkChain(HKEY_CLASSES_ROOT, In("Long"), wide255, 2, true));
    DeleteRegTree(HKEY_CLASSES_ROOT, In("Long"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Long")));
    // On failure, what stayed is removed here key by key.
    for (const std::string* name : {&n200, &n255, &wide255})
        WalkChain(HKEY_CLASSES_ROOT, In("Long"), *name, 2, false, true);

    // A deep tree whose paths are far beyond any one call's: gone as well, siblings and all.
    CreateRegKey(HKEY_CLASSES_ROOT, In("Deep\\near"));
    ASSERT_TRUE(WalkChain(HKEY_CLASSES_ROOT, In("Deep"), n200, 6, true));
    DeleteRegTree(HKEY_CLASSES_ROOT, In("Deep"));
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, In("Deep")));
    WalkChain(HKEY_CLASSES_ROOT, In("Deep"), n200, 6, false, true);
}

}  // namespace
