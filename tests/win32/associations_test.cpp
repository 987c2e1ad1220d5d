// Archive associations on a realistic HKEY_CLASSES_ROOT: what is written and saved, and that
// releasing gives every kind back as it was found.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lang/lookup_key.h"
#include "reg_dump.h"
#include "test_helpers.h"
#include "test_support.h"
#include "registry/registry.h"
#include "shell/associations.h"
#include "shell/shell.h"

namespace {

const char* const Extensions[19] = {".kvo", ".zip", ".cab", ".arj", ".lzh", ".lha", ".ace",
                                    ".tar", ".gz",  ".tgz", ".uue", ".xxe", ".uu",  ".bz2",
                                    ".tbz2", ".bz", ".tbz", ".jar", ".iso"};

// The empty ZIP archive as the system's own new-file entry of .zip holds it.
const std::string SystemEmptyZip = std::string("PK\x05\x06", 4) + std::string(18, '\0');

unsigned Little(const std::string& bytes, size_t at, int count) {
    unsigned value = 0;
    for (int i = count - 1; i >= 0; i--)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// What a ZIP reader takes for an empty archive: the end-of-central-directory record alone, no
// entry on any disk, a central directory of no bytes at offset 0, the comment ending the file.
void ExpectEmptyZip(const std::string& bytes) {
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(std::string("PK\x05\x06", 4), bytes.substr(0, 4));
    for (size_t field : {4, 6, 8, 10})  // disk numbers and entry counts
        EXPECT_EQ(0u, Little(bytes, field, 2)) << field;
    EXPECT_EQ(0u, Little(bytes, 12, 4)) << "central directory size";
    EXPECT_EQ(0u, Little(bytes, 16, 4)) << "central directory offset";
    EXPECT_EQ(bytes.size(), 22 + Little(bytes, 20, 2)) << "comment length";
}

// An empty Krelvo archive: the signature, then the archive header (type 0x73) whose size ends
// the file and whose checksum (the low half of the CRC-32 of the header after it) holds.
void ExpectEmptyKvo(const std::string& bytes) {
    ASSERT_GE(bytes.size(), 14u);
    EXPECT_EQ(std::string("Kvo!\x1A\x07\x00", 7), bytes.substr(0, 7));
    EXPECT_EQ(0x73, static_cast<unsigned char>(bytes[9]));
    EXPECT_EQ(bytes.size(), 7 + Little(bytes, 12, 2));
    EXPECT_EQ(Crc32(bytes.data() + 9, bytes.size() - 9, 0) & 0xFFFF, Little(bytes, 7, 2));
}

std::string Volume(int number) {
    char name[8];
    VolumeExtension(number, name);
    return name;
}

std::vector<std::string> ClassTrees() {
    std::vector<std::string> trees(Extensions, Extensions + 19);
    for (int i = 0; i < 100; i++)
        trees.push_back(Volume(i));
    return trees;
}

std::string Hex(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        char hex[4];
        snprintf(hex, sizeof(hex), "%02X", c);
        text += hex;
    }
    return text;
}

SetupOptions Options(bool associate, bool shellExt) {
    SetupOptions options;
    memset(&options, 0, sizeof(options));
    memset(options.Associate, associate ? 1 : 0, sizeof(options.Associate));
    options.ShellExt = shellExt ? 1 : 0;
    return options;
}

// Whether this process sees the system as Windows Me, 2000 or later (the template file).
bool TemplateFileForm() { return Family() != "98"; }
int AssociatedVolumes() { return Family() == "nt" ? 30 : 100; }

class Associations : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& tree : ClassTrees())
            WipeRegTree(HKEY_CLASSES_ROOT, tree);
        WipeRegTree(HKEY_CURRENT_USER, "Software\\Krelvo");
        WipeRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo");
        WipeRegTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\Krelvo\\Capabilities");
        kvoFile = TestFolder() + "kvonew.dat";
        zipFile = TestFolder() + "zipnew.dat";
        DeleteFileA(kvoFile.c_str());
        DeleteFileA(zipFile.c_str());
    }
    void TearDown() override {
        SetUp();
    }
    std::string kvoFile, zipFile;
};

const char* const SeedZipShellNew = ".zip\\ShellNew";

// A user's system as it might be before setup.
void SeedClasses() {
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "CompressedFolder");
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "Content Type", "application/x-zip-compressed");
    SetRegText(HKEY_CLASSES_ROOT, SeedZipShellNew, "NullFile", "");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\PersistentHandler", "", "{098f2470-bae0-11cd-b579-08002b30bfeb}");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", "CompressedFolder", "");
    SetRegText(HKEY_CLASSES_ROOT, ".cab", "", "CABFolder");
    SetRegText(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "FileName", "C:\\Templates\\empty.cab");
    SetRegText(HKEY_CLASSES_ROOT, ".gz", "", "OtherArc.gz");
    SetRegText(HKEY_CLASSES_ROOT, ".gz", "Content Type", "application/x-gzip");
    SetRegText(HKEY_CLASSES_ROOT, ".iso", "", "Burner.Image");
    SetRegText(HKEY_CLASSES_ROOT, ".jar", "Content Type", "application/java-archive");
    SetRegText(HKEY_CLASSES_ROOT, ".arj", "", "OtherArc.arj");
    SetRegText(HKEY_CLASSES_ROOT, ".tar", "", "OtherArc.tar");
    SetRegText(HKEY_CLASSES_ROOT, ".tar", "Content Type", "application/x-tar");
    SetRegText(HKEY_CLASSES_ROOT, ".bz2", "", "OtherArc.bz2");
    SetRegText(HKEY_CLASSES_ROOT, ".r00", "", "OtherArc.rar");
    SetRegText(HKEY_CLASSES_ROOT, ".r05", "", "OtherArc.rar");
    SetRegText(HKEY_CLASSES_ROOT, ".r05", "Content Type", "application/x-rar");
    SetRegText(HKEY_CLASSES_ROOT, ".r50", "", "OtherArc.rar");
}

// The class part of a record, as the dump shows it: type "<none>" where the extension had no
// default value; "ClassKey" where that class has a key.
std::string VolumeRecord(const std::string& ext, int exist, const std::string& type, const std::string& content) {
    std::string key = "V Software\\Krelvo\\Setup\\" + ext;
    std::string text = "K " + key.substr(2) + "\n" + key + "|Content|1|" + Hex(content + std::string(1, '\0')) + "\n" +
                       key + "|Exist|4|0" + std::to_string(exist) + "000000\n";
    if (type != "<none>")
        text += key + "|Type|1|" + Hex(type + std::string(1, '\0')) + "\n";
    if (type != "<none>" && !type.empty() && RegKeyPresent(HKEY_CLASSES_ROOT, type))
        text += key + "|ClassKey|4|01000000\n";
    return text;
}

// The saved association of one extension: its class part and its previous new-file entry.
std::string Record(const std::string& ext, int exist, const std::string& type, const std::string& content,
                   const std::string& shellNew) {
    return VolumeRecord(ext, exist, type, content) + "V Software\\Krelvo\\Setup\\" + ext + "|ShellNew|1|" +
           Hex(shellNew + std::string(1, '\0')) + "\n";
}

std::string NewFileState(const std::string& ext, int state) {
    return "V Software\\Krelvo\\Setup\\" + ext + "|NewFile|4|0" + std::to_string(state) + "000000\n";
}

// An earlier release took .ace from "EarlierAce" and kept its record with the user's choice,
// below the product settings key of the account that ran it.
void SeedEarlierRecord() {
    const std::string earlier = "Software\\Krelvo\\Setup\\.ace";
    DWORD one = 1;
    SetRegText(HKEY_CLASSES_ROOT, ".ace", "", "Krelvo");
    SetRegBytes(HKEY_CURRENT_USER, earlier, "Set", REG_DWORD, &one, 4);
    SetRegBytes(HKEY_CURRENT_USER, earlier, "Exist", REG_DWORD, &one, 4);
    for (const char* name : {"Type", "Content", "ShellNew"})
        SetRegText(HKEY_CURRENT_USER, earlier, name, name[0] == 'T' ? "EarlierAce" : "");
}

TEST_F(Associations, RoundTripGivesEveryKindBack) {
    SeedClasses();
    SeedEarlierRecord();
    const std::string seeded = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());

    SetAssociations(Options(true, true));
    // The earlier record moved to the machine's records (below); the choice stays the user's.
    EXPECT_EQ("K Software\\Krelvo\nK Software\\Krelvo\\Setup\nK Software\\Krelvo\\Setup\\.ace\n"
              "V Software\\Krelvo\\Setup\\.ace|Set|4|01000000\n",
              DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo"));

    // Every extension is ours, without a content type.
    for (const char* ext : Extensions) {
        EXPECT_EQ(strcmp(ext, ".zip") == 0 ? "Krelvo.ZIP" : "Krelvo",
                  GetRegText(HKEY_CLASSES_ROOT, ext, "")) << ext;
        EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ext, "Content Type")) << ext;
    }
    for (int i = 0; i < 100; i++) {
        std::string volume = Volume(i);
        if (i < AssociatedVolumes()) {
            EXPECT_EQ("K " + volume + "\nV " + volume + "||1|" + Hex(std::string("Krelvo", 7)) + "\n",
                      DumpRegTree(HKEY_CLASSES_ROOT, volume)) << volume;
        } else if (i != 50) {
            EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, volume)) << volume;
        } else {
            EXPECT_EQ("OtherArc.rar", GetRegText(HKEY_CLASSES_ROOT, volume, ""));
        }
    }
    // The new-file entries: a template file beside the program, or the bytes themselves.
    if (TemplateFileForm()) {
        EXPECT_EQ("K .kvo\\ShellNew\nV .kvo\\ShellNew|FileName|1|" +
                      Hex(kvoFile + std::string(1, '\0')) + "\n",
                  DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew"));
        EXPECT_EQ("K .zip\\ShellNew\nV .zip\\ShellNew|FileName|1|" +
                      Hex(zipFile + std::string(1, '\0')) + "\n",
                  DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
        ExpectEmptyKvo(ReadFileBytes(kvoFile));
        ExpectEmptyZip(ReadFileBytes(zipFile));
    } else {
        // The bytes themselves, as the only value of the key.
        for (const char* ext : {".kvo", ".zip"}) {
            const std::string key = std::string(ext) + "\\ShellNew";
            DWORD type = 0;
            std::string data;
            ASSERT_TRUE(GetRegValue(HKEY_CLASSES_ROOT, key, "Data", &type, &data)) << ext;
            EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type) << ext;
            if (ext[1] == 'k')
                ExpectEmptyKvo(data);
            else
                ExpectEmptyZip(data);
            EXPECT_EQ(std::string::npos, DumpRegTree(HKEY_CLASSES_ROOT, key).find("|FileName|")) << ext;
        }
        EXPECT_EQ("<missing>", ReadFileBytes(kvoFile));
        EXPECT_EQ("<missing>", ReadFileBytes(zipFile));
    }
    // Default Programs, from Vista on (this prefix poses as 7): each extension's class under
    // FileAssociations and under its OpenWithProgids, beside another program's.
    const std::string associations = "Software\\Classes\\Krelvo\\Capabilities\\FileAssociations";
    for (const char* ext : Extensions) {
        const std::string className = strcmp(ext, ".zip") == 0 ? "Krelvo.ZIP" : "Krelvo";
        const bool vista = Family() == "nt";
        EXPECT_EQ(vista ? className : "<none>", GetRegText(HKEY_LOCAL_MACHINE, associations, ext)) << ext;
        EXPECT_EQ(vista ? "" : "<none>",
                  GetRegText(HKEY_CLASSES_ROOT, std::string(ext) + "\\OpenWithProgids", className.c_str())) << ext;
    }
    EXPECT_EQ("", GetRegText(HKEY_CLASSES_ROOT, ".zip\\OpenWithProgids", "CompressedFolder"));
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Krelvo\\Capabilities")) << "the previous release's place";

    // Only the ShellNew of .kvo and .zip is touched; the rest of .zip stays.
    EXPECT_EQ("C:\\Templates\\empty.cab", GetRegText(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "FileName"));
    EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, ".zip\\PersistentHandler"));

    // The saved associations, whole, below HKEY_LOCAL_MACHINE.
    std::string expected = "K Software\\Krelvo\nK Software\\Krelvo\\Setup\n";
    expected += Record(".ace", 1, "EarlierAce", "", "");
    expected += Record(".arj", 1, "OtherArc.arj", "", "");
    expected += Record(".bz", 0, "<none>", "", "");
    expected += Record(".bz2", 1, "OtherArc.bz2", "", "");
    expected += Record(".cab", 1, "CABFolder", "", "C:\\Templates\\empty.cab");
    expected += Record(".gz", 1, "OtherArc.gz", "application/x-gzip", "");
    expected += Record(".iso", 1, "Burner.Image", "", "");
    expected += Record(".jar", 1, "<none>", "application/java-archive", "");
    expected += Record(".kvo", 0, "<none>", "", "") + NewFileState(".kvo", NewFileAddedKey);
    expected += Record(".lha", 0, "<none>", "", "");
    expected += Record(".lzh", 0, "<none>", "", "");
    expected += Record(".tar", 1, "OtherArc.tar", "application/x-tar", "");
    expected += Record(".tbz", 0, "<none>", "", "");
    expected += Record(".tbz2", 0, "<none>", "", "");
    expected += Record(".tgz", 0, "<none>", "", "");
    expected += Record(".uu", 0, "<none>", "", "");
    expected += Record(".uue", 0, "<none>", "", "");
    expected += Record(".xxe", 0, "<none>", "", "");
    expected += Record(".zip", 1, "CompressedFolder", "application/x-zip-compressed", "*") +
                NewFileState(".zip", NewFileReplacedKey);
    // The ShellNew key that ours replaced, whole.
    expected += "K Software\\Krelvo\\Setup\\.zip\\ShellNewKey\nV Software\\Krelvo\\Setup\\.zip\\ShellNewKey|NullFile|1|00\n";
    // Each volume extension taken has a record of its own.
    for (int i = 0; i < AssociatedVolumes(); i++) {
        bool other = i == 0 || i == 5 || i == 50;
        expected += VolumeRecord(Volume(i), other, other ? "OtherArc.rar" : "<none>", i == 5 ? "application/x-rar" : "");
    }
    const std::string saved = DumpRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo");
    EXPECT_EQ(SortLines(expected), saved);

    // A second run finds everything ours: the records and the classes stay as they are, and
    // the template files are not rewritten.
    const std::string associated = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());
    if (TemplateFileForm())
        WriteFileBytes(kvoFile, "edited");
    SetAssociations(Options(true, true));
    EXPECT_EQ(saved, DumpRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo"));
    EXPECT_EQ(associated, DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()));
    if (TemplateFileForm()) {
        EXPECT_EQ("edited", ReadFileBytes(kvoFile));
        ExpectEmptyZip(ReadFileBytes(zipFile));
    }

    // Another program takes .gz meanwhile.
    const auto takeGz = [] {
        SetRegText(HKEY_CLASSES_ROOT, ".gz", "", "Another.gz");
        SetRegText(HKEY_CLASSES_ROOT, ".gz", "Content Type", "application/gzip");
    };
    takeGz();
    // Another program puts a key of its own into .lha, which had none before we took it, and
    // into our new-file key of .kvo.
    SetRegText(HKEY_CLASSES_ROOT, ".lha\\OpenWithList\\Other.exe", "", "");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew\\Other", "", "");

    SetAssociations(Options(false, false));
    const std::string released = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());

    // Exactly as seeded, the other archiver's volume extensions included, apart from what
    // releasing itself leaves: .gz stays with its new owner, .ace gets its class from before
    // the earlier release, and .lha and .kvo keep the other program's keys but none of our
    // values. .jar, which had no class, gets none.
    for (const std::string& tree : ClassTrees())
        WipeRegTree(HKEY_CLASSES_ROOT, tree);
    SeedClasses();
    SeedEarlierRecord();
    EXPECT_EQ(seeded, DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()));
    SetRegText(HKEY_CLASSES_ROOT, ".ace", "", "EarlierAce");
    takeGz();
    SetRegText(HKEY_CLASSES_ROOT, ".lha\\OpenWithList\\Other.exe", "", "");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew\\Other", "", "");
    EXPECT_EQ(DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()), released);
    // Each record went once all it kept was given back.
    EXPECT_EQ("K Software\\Krelvo\nK Software\\Krelvo\\Setup\n", DumpRegTree(HKEY_LOCAL_MACHINE, "Software\\Krelvo"));
    // Our OpenWithProgids values went with the classes (also that of .gz, now another's),
    // and so did every extension's FileAssociations value.
    EXPECT_EQ(Family() == "nt" ? "K " + associations + "\n" : "", DumpRegTree(HKEY_LOCAL_MACHINE, associations));
}

}  // namespace

namespace {

TEST_F(Associations, SystemVersionMatchesTheFamily) {
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof(version);
    ASSERT_TRUE(GetVersionExA(&version));
    if (Family() == "nt") {
        EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), version.dwPlatformId);
        EXPECT_GE(version.dwMajorVersion, 5u);
    } else {
        EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), version.dwPlatformId);
        EXPECT_EQ(4u, version.dwMajorVersion);
        EXPECT_EQ(Family() == "me" ? 90u : 10u, version.dwMinorVersion);
    }
}

TEST_F(Associations, OwnershipIsEitherArchiveClassInAnyCase) {
    EXPECT_FALSE(IsOwnClass(".zip"));  // no key
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "kRELVO.zip");
    EXPECT_TRUE(IsOwnClass(".zip"));
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "KRELVO");
    EXPECT_TRUE(IsOwnClass(".zip"));
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Krelvo.REV");
    EXPECT_FALSE(IsOwnClass(".zip"));
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Krelvo ");
    EXPECT_FALSE(IsOwnClass(".zip"));
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "");
    EXPECT_FALSE(IsOwnClass(".zip"));
}

// The "Data" value of a ShellNew key as type and bytes.
std::string DataOf(const std::string& shellNew) {
    DWORD type = 0;
    std::string bytes;
    if (!GetRegValue(HKEY_CLASSES_ROOT, shellNew, "Data", &type, &bytes))
        return "<none>";
    return std::to_string(type) + ":" + Hex(bytes);
}

// A previous new-file entry given as "Data", as text or as bytes, survives setup, a second
// setup and uninstall, byte for byte and type for type. It is kept only where our own entry
// replaces the ShellNew key; where setup leaves the key alone (.cab always, .zip without shell
// integration) releasing writes nothing, so an entry edited meanwhile stays as edited.
TEST_F(Associations, PreviousDataEntrySurvivesSetupTwiceAndUninstall) {
    const std::string binary("\x11\x22\x00\x33\xFF", 5);
    const std::string text("Template text", 14);  // with its terminator
    // The system's own entry of .zip, the very bytes of our template: still not ours, also
    // when shell integration is turned on only at a later run (it stays unedited then).
    struct Entry {
        DWORD type;
        std::string foreign, edited;
    } entries[] = {{REG_BINARY, binary, binary + "+"},
                   {REG_SZ, text, std::string("Edited text", 12)},
                   {REG_BINARY, SystemEmptyZip, SystemEmptyZip}};
    for (int shellExt = 1; shellExt >= 0; shellExt--)
        for (const Entry& entry : entries) {
            SetUp();
            const DWORD type = entry.type;
            const std::string& foreign = entry.foreign;
            const std::string& edited = entry.edited;
            const DWORD size = static_cast<DWORD>(foreign.size());
            SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "OtherZip");
            SetRegBytes(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", type, foreign.data(), size);
            SetRegText(HKEY_CLASSES_ROOT, ".cab", "", "OtherCab");
            SetRegBytes(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "Data", type, foreign.data(), size);
            const std::string before = DumpRegTree(HKEY_CLASSES_ROOT, ".zip");
            SetupOptions options = Options(false, shellExt != 0);
            options.Associate[1] = options.Associate[2] = 1;
            const std::string round = "ShellExt " + std::to_string(shellExt) + ", type " + std::to_string(type);

            SetAssociations(options);
            DWORD savedType = 0;
            std::string bytes;
            EXPECT_EQ(shellExt != 0, GetRegValue(HKEY_LOCAL_MACHINE, "Software\\Krelvo\\Setup\\.zip\\ShellNewKey",
                                                 "Data", &savedType, &bytes)) << round;
            if (shellExt) {
                EXPECT_EQ(type, savedType) << round;
                EXPECT_EQ(foreign, bytes) << round;
            }
            EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Krelvo\\Setup\\.cab\\ShellNewKey"));
            EXPECT_EQ("", GetRegText(HKEY_LOCAL_MACHINE, "Software\\Krelvo\\Setup\\.zip", "ShellNew"));
            if (!shellExt) {  // without shell integration the ShellNew key is never touched
                EXPECT_EQ(std::to_string(type) + ":" + Hex(foreign), DataOf(".zip\\ShellNew")) << round;
            }
            SetAssociations(options);
            if (!shellExt) {
                EXPECT_EQ(std::to_string(type) + ":" + Hex(foreign), DataOf(".zip\\ShellNew")) << round;
            }

            // The user edits the entries that setup left alone.
            const DWORD editedSize = static_cast<DWORD>(edited.size());
            SetRegBytes(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "Data", type, edited.data(), editedSize);
            if (!shellExt) {
                SetRegBytes(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", type, edited.data(), editedSize);
                // Shell integration turned on later: the edited entry is kept before ours
                // replaces it.
                options.ShellExt = 1;
                SetAssociations(options);
            }

            SetAssociations(Options(false, false));
            if (shellExt)
                EXPECT_EQ(before, DumpRegTree(HKEY_CLASSES_ROOT, ".zip")) << round;
            else
                EXPECT_EQ(std::to_string(type) + ":" + Hex(edited), DataOf(".zip\\ShellNew")) << round;
            EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "FileName")) << round;
            EXPECT_EQ(std::to_string(type) + ":" + Hex(edited), DataOf(".cab\\ShellNew")) << round;
        }
}

// A text value under HKEY_CLASSES_ROOT through the wide calls, which carry every character.
void SetRegWideText(const std::string& path, const std::wstring& name, const std::wstring& text) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0,
                                             KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

std::wstring GetRegWideText(const std::string& path, const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<no key>";
    wchar_t text[256] = {};
    DWORD size = sizeof(text) - sizeof(wchar_t);
    LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? text : L"<none>";
}

TEST_F(Associations, PreviousShellNewKeyKeptWholeOrLeftAlone) {
    SetupOptions options = Options(false, true);
    options.Associate[0] = options.Associate[1] = 1;
    // .kvo: every kind of value a ShellNew key holds, kept with its type and given back.
    SetRegText(HKEY_CLASSES_ROOT, ".kvo", "", "Old.kvo");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "FileName", "C:\\t.kvo");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "NullFile", "");
    SetRegBytes(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "Data", REG_BINARY, "a\0b", 3);
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "ItemName", "@old.dll,-1");
    SetRegBytes(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "IconPath", REG_EXPAND_SZ, "%SystemRoot%\\k.ico", 19);
    SetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "Command", "old.exe \"%1\"");
    // .zip: a subkey no record keeps; the key stays as it is, without an entry of ours.
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Old.zip");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "ItemName", "@zip.dll,-2");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew\\Config", "NoExtension", "");
    // NT family: a name and a text in Hangul, which code page 950 cannot say.
    const bool unicode = Family() == "nt";
    const std::wstring hangulName = L"ItemName\uD55C", hangulText = L"\uD55C\uAE00 archive";
    if (unicode)
        SetRegWideText(".kvo\\ShellNew", hangulName, hangulText);
    const std::string kvoBefore = DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew");
    const std::string zipBefore = DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew");
    SetAssociations(options);
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "ItemName")) << "ours replaced it";
    EXPECT_EQ(zipBefore, DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
    SetAssociations(options);  // a second run keeps the first record
    SetAssociations(Options(false, false));
    EXPECT_EQ(kvoBefore, DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew"));
    EXPECT_EQ(zipBefore, DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
    if (unicode) {
        EXPECT_TRUE(GetRegWideText(".kvo\\ShellNew", hangulName) == hangulText) << "the Hangul value came back damaged";
    }

    // The bounds: one value of ShellNewValueSize bytes, ShellNewValueCount values; one more
    // byte or one more value, and the key is left alone.
    for (int over = 0; over <= 1; over++) {
        SetUp();
        std::string large(ShellNewValueSize + over, 'x');
        SetRegText(HKEY_CLASSES_ROOT, ".kvo", "", "Old.kvo");
        SetRegBytes(HKEY_CLASSES_ROOT, ".kvo\\ShellNew", "Data", REG_BINARY, large.data(),
                    static_cast<DWORD>(large.size()));
        SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Old.zip");
        for (int i = 0; i < ShellNewValueCount + over; i++)
            SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", ("V" + std::to_string(i)).c_str(), "v");
        const std::string kvoBound = DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew");
        const std::string zipBound = DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew");
        SetAssociations(options);
        EXPECT_EQ(over != 0, kvoBound == DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew")) << over;
        EXPECT_EQ(over != 0, zipBound == DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew")) << over;
        SetAssociations(Options(false, false));
        EXPECT_EQ(kvoBound, DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew")) << over;
        EXPECT_EQ(zipBound, DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew")) << over;
    }
}

// Between runs: an installation of an earlier version, whose record has no "NewFile", and
// another archiver that takes only the class of .zip. Either way the entry of ours that the
// ShellNew key holds is not the previous handler's, and the first handler's entry comes back.
TEST_F(Associations, OurEntryLeftInPlaceIsNeverTakenForThePreviousOne) {
    SetupOptions zipOnly = Options(false, true);
    zipOnly.Associate[1] = 1;
    const std::string record = "Software\\Krelvo\\Setup\\.zip";
    // The earlier version took .zip from "First.zip", whose new-file entry was "NullFile".
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Krelvo.ZIP");
    if (TemplateFileForm())
        SetRegText(HKEY_CLASSES_ROOT, SeedZipShellNew, "FileName", zipFile);
    else
        SetRegBytes(HKEY_CLASSES_ROOT, SeedZipShellNew, "Data", REG_BINARY, SystemEmptyZip.data(), 22);  // our template
    DWORD one = 1;
    SetRegBytes(HKEY_CURRENT_USER, record, "Exist", REG_DWORD, &one, 4);
    SetRegText(HKEY_CURRENT_USER, record, "Type", "First.zip");
    SetRegText(HKEY_CURRENT_USER, record, "Content", "");
    SetRegText(HKEY_CURRENT_USER, record, "ShellNew", "*");
    SetAssociations(zipOnly);
    SetAssociations(Options(false, false));
    EXPECT_EQ("First.zip", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    EXPECT_EQ("K .zip\\ShellNew\nV .zip\\ShellNew|NullFile|1|00\n", DumpRegTree(HKEY_CLASSES_ROOT, SeedZipShellNew));

    // This version takes it from "First.zip" again; "Second.zip" then takes the class alone.
    SetRegText(HKEY_CLASSES_ROOT, SeedZipShellNew, "ItemName", "first");
    const std::string firstEntry = DumpRegTree(HKEY_CLASSES_ROOT, SeedZipShellNew);
    SetAssociations(zipOnly);
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Second.zip");
    SetAssociations(zipOnly);
    SetAssociations(Options(false, false));
    EXPECT_EQ("Second.zip", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    EXPECT_EQ(firstEntry, DumpRegTree(HKEY_CLASSES_ROOT, SeedZipShellNew));
}

TEST_F(Associations, ATakeoverFromAHandlerWithoutDataDropsAStaleSavedData) {
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "First");
    SetRegBytes(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "Data", REG_BINARY, "old", 3);
    SetupOptions options = Options(false, true);
    options.Associate[1] = 1;
    SetAssociations(options);
    SetAssociations(Options(false, false));
    // A new handler without any new-file entry takes .zip; setup takes it over from it.
    WipeRegTree(HKEY_CLASSES_ROOT, ".zip");
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Second");
    SetAssociations(options);
    EXPECT_FALSE(RegKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Krelvo\\Setup\\.zip\\ShellNewKey"));
    SetAssociations(Options(false, false));
    EXPECT_EQ("Second", GetRegText(HKEY_CLASSES_ROOT, ".zip", ""));
    // Neither the stale bytes nor our own entry: there was no ShellNew key.
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
}

TEST_F(Associations, ReleaseByRecordRules) {
    // Records of earlier releases, in the running account's profile: a record naming a class
    // of our own restores an empty class, and a content type set since stays; a record
    // written before "ShellNewData" existed restores as it always did. The new-file entry of
    // a kind that never gets ours is left alone.
    SetRegText(HKEY_CLASSES_ROOT, ".ace", "", "Krelvo");
    SetRegText(HKEY_CLASSES_ROOT, ".ace", "Content Type", "x/ours");
    SetRegText(HKEY_CLASSES_ROOT, ".ace\\ShellNew", "FileName", "C:\\ours.ace");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.ace", "Type", "krelvo.zip");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.ace", "Content", "x/theirs");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.ace", "ShellNew", "");
    DWORD one = 1;
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.ace", "Exist", REG_DWORD, &one, 4);
    // Ours without any record anywhere (an earlier release's setup by another account): only
    // our class goes; its content type and new-file values are not recognisably ours.
    SetRegText(HKEY_CLASSES_ROOT, ".tar", "", "Krelvo");
    SetRegText(HKEY_CLASSES_ROOT, ".tar", "Content Type", "x/ours");
    SetRegText(HKEY_CLASSES_ROOT, ".tar\\ShellNew", "FileName", "C:\\ours.tar");
    SetRegText(HKEY_CLASSES_ROOT, ".tar\\ShellNew", "Data", "keep");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo", "", "KRELVO");
    for (int i = 0; i < 100; i += 33)
        SetRegText(HKEY_CLASSES_ROOT, Volume(i), "", "Krelvo");
    // A record of an earlier version, which kept the previous "Data" as a value of its own.
    SetRegText(HKEY_CLASSES_ROOT, ".zip", "", "Krelvo.ZIP");
    SetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "FileName", "C:\\Krelvo\\zipnew.dat");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.zip", "Type", "OldZip");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.zip", "ShellNew", "");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.zip", "ShellNewData", "old text");
    // .tbz2 has its own record, apart from .bz2.
    SetRegText(HKEY_CLASSES_ROOT, ".bz2", "", "Krelvo");
    SetRegText(HKEY_CLASSES_ROOT, ".tbz2", "", "Krelvo");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.tbz2", "Type", "Tbz2Class");

    SetAssociations(Options(false, false));
    EXPECT_EQ(SortLines("K .ace\nV .ace||1|00\nV .ace|Content Type|1|" + Hex(std::string("x/ours", 7)) +
                        "\nK .ace\\ShellNew\nV .ace\\ShellNew|FileName|1|" + Hex(std::string("C:\\ours.ace", 12)) + "\n"),
              DumpRegTree(HKEY_CLASSES_ROOT, ".ace"));
    EXPECT_EQ(SortLines("K .tar\nV .tar|Content Type|1|" + Hex(std::string("x/ours", 7)) +
                        "\nK .tar\\ShellNew\nV .tar\\ShellNew|Data|1|" + Hex(std::string("keep", 5)) +
                        "\nV .tar\\ShellNew|FileName|1|" + Hex(std::string("C:\\ours.tar", 12)) + "\n"),
              DumpRegTree(HKEY_CLASSES_ROOT, ".tar"));
    EXPECT_EQ(SortLines("K .zip\nV .zip||1|" + Hex(std::string("OldZip", 7)) + "\nK .zip\\ShellNew\nV .zip\\ShellNew|Data|1|" +
                        Hex(std::string("old text", 9)) + "\n"),
              DumpRegTree(HKEY_CLASSES_ROOT, ".zip"));
    // No class is written empty and no key is deleted for want of a record.
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ".kvo", ""));
    for (int i = 0; i < 100; i++) {
        EXPECT_EQ(i % 33 == 0, RegKeyPresent(HKEY_CLASSES_ROOT, Volume(i))) << i;
        EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, Volume(i), "")) << i;
    }
    EXPECT_EQ("<none>", GetRegText(HKEY_CLASSES_ROOT, ".bz2", ""));
    EXPECT_EQ("Tbz2Class", GetRegText(HKEY_CLASSES_ROOT, ".tbz2", ""));
}

TEST_F(Associations, VolumeExtensionsComeBackFromTheirOwnRecords) {
    SetRegText(HKEY_CLASSES_ROOT, ".kvo", "", "OldKvo");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo", "Content Type", "x/kvo");
    // Another archiver's multi-volume extensions, one of them beyond what the NT family takes.
    for (int i : {0, 3, 29, 45}) {
        SetRegText(HKEY_CLASSES_ROOT, Volume(i), "", "Rar.Volume");
        SetRegText(HKEY_CLASSES_ROOT, Volume(i), "Content Type", "x/rar");
    }
    const std::string seeded = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());
    SetupOptions options = Options(false, false);
    options.Associate[0] = 1;
    SetAssociations(options);
    EXPECT_FALSE(RegKeyPresent(HKEY_CLASSES_ROOT, ".kvo\\ShellNew"));  // shell integration off
    for (int i = 0; i < 100; i++)
        EXPECT_EQ(i < AssociatedVolumes() ? "Krelvo" : i == 45 ? "Rar.Volume" : "<none>",
                  GetRegText(HKEY_CLASSES_ROOT, Volume(i), "")) << i;
    // Another program takes .r03 meanwhile: it stays with it.
    SetRegText(HKEY_CLASSES_ROOT, Volume(3), "", "Another.Volume");
    SetAssociations(Options(false, false));
    EXPECT_EQ("Another.Volume", GetRegText(HKEY_CLASSES_ROOT, Volume(3), ""));
    SetRegText(HKEY_CLASSES_ROOT, Volume(3), "", "Rar.Volume");
    SetRegText(HKEY_CLASSES_ROOT, Volume(3), "Content Type", "x/rar");
    EXPECT_EQ(seeded, DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()));

    // Taken before volumes had records of their own (an earlier version): they follow the
    // record of .kvo, as they always did.
    DWORD one = 1;
    SetRegBytes(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.kvo", "Exist", REG_DWORD, &one, 4);
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.kvo", "Type", "OldKvo");
    SetRegText(HKEY_CURRENT_USER, "Software\\Krelvo\\Setup\\.kvo", "Content", "x/kvo");
    SetRegText(HKEY_CLASSES_ROOT, ".kvo", "", "Krelvo");
    SetRegText(HKEY_CLASSES_ROOT, Volume(10), "", "Krelvo");
    SetAssociations(Options(false, false));
    EXPECT_EQ("OldKvo", GetRegText(HKEY_CLASSES_ROOT, Volume(10), ""));
    EXPECT_EQ("x/kvo", GetRegText(HKEY_CLASSES_ROOT, Volume(10), "Content Type"));
    EXPECT_EQ("OldKvo", GetRegText(HKEY_CLASSES_ROOT, ".kvo", ""));
}

TEST_F(Associations, ExistingTemplateFilesAreNeverRewritten) {
    if (!TemplateFileForm())
        GTEST_SKIP() << "95/98 keep the template in the registry";
    WriteFileBytes(zipFile, "mine");
    SetupOptions options = Options(false, true);
    options.Associate[0] = options.Associate[1] = 1;
    SetAssociations(options);
    EXPECT_EQ("mine", ReadFileBytes(zipFile));
    ExpectEmptyKvo(ReadFileBytes(kvoFile));
    EXPECT_EQ(zipFile, GetRegText(HKEY_CLASSES_ROOT, ".zip\\ShellNew", "FileName"));
}

// The program writes the empty archives, but its own file holds neither signature, so that no
// archive scanner takes it for an archive.
TEST(Templates, TheProgramFileHoldsNoArchiveSignature) {
    const std::string program = uninstall_tests::ReadBytes(ProgramPath());
    ASSERT_GT(program.size(), 10000u) << ProgramPath();
    EXPECT_EQ(std::string::npos, program.find(std::string("PK\x05\x06", 4)));
    EXPECT_EQ(std::string::npos, program.find(std::string("Kvo!\x1A\x07\x00", 7)));
}

// Windows Me: the 95/98 family with the template-file form. Its version is read at process
// start, so this suite runs again in a copy of itself that Wine presents as Windows Me.
TEST_F(Associations, WindowsMeRunInAChildProcess) {
    if (Family() == "me")
        GTEST_SKIP() << "already the Windows Me run";
    std::string folder = TestFolder();
    std::string self = folder + "win_tests.exe";
    std::string child = folder + "win_tests_me.exe";
    ASSERT_TRUE(CopyFileA(self.c_str(), child.c_str(), FALSE));
    std::string appKey = "Software\\Wine\\AppDefaults\\win_tests_me.exe";
    SetRegText(HKEY_CURRENT_USER, appKey, "Version", "winme");
    SetEnvironmentVariableA("KVO_FAMILY", "me");
    std::string command = "\"" + child + "\" --gtest_filter=Associations.*:Registry.*";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process);
    SetEnvironmentVariableA("KVO_FAMILY", Family() == "me" ? "me" : Family().c_str());
    ASSERT_TRUE(started);
    DWORD waited = WaitForSingleObject(process.hProcess, 120000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    WipeRegTree(HKEY_CURRENT_USER, appKey);
    DeleteFileA(child.c_str());
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waited);
    EXPECT_EQ(0u, exitCode);
}

}  // namespace
