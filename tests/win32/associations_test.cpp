// Archive associations on a realistic HKEY_CLASSES_ROOT: what is written and saved, and that
// releasing gives every kind back as it was found.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "reg_dump.h"
#include "registry/registry.h"
#include "shell/associations.h"
#include "shell/shell.h"

namespace {

const char* const Extensions[19] = {".kvo", ".zip", ".cab", ".arj", ".lzh", ".lha", ".ace",
                                    ".tar", ".gz",  ".tgz", ".uue", ".xxe", ".uu",  ".bz2",
                                    ".tbz2", ".bz", ".tbz", ".jar", ".iso"};

const std::string KvoBytes("\x4B\x76\x6F\x21\x1A\x07\x00\xCF\x90\x73\x00\x00\x0D\x00\x00\x00\x00\x00\x00\x00", 20);
const std::string ZipBytes = std::string("\x50\x4B\x05\x06", 4) + std::string(18, '\0');

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

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
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
        kvoFile = ProgramFolder() + "kvonew.dat";
        zipFile = ProgramFolder() + "zipnew.dat";
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

std::string SortLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start + 1));
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const std::string& line : lines)
        sorted += line;
    return sorted;
}

// The saved association of one extension, as the dump shows it.
std::string Record(const std::string& ext, bool setValue, int exist, const std::string& type,
                   const std::string& content, const std::string& shellNew) {
    std::string key = "Software\\Krelvo\\Setup\\" + ext;
    std::string text = "K " + key + "\n";
    text += "V " + key + "|Content|1|" + Hex(content + std::string(1, '\0')) + "\n";
    text += "V " + key + "|Exist|4|0" + std::to_string(exist) + "000000\n";
    if (setValue)
        text += "V " + key + "|Set|4|01000000\n";
    text += "V " + key + "|ShellNew|1|" + Hex(shellNew + std::string(1, '\0')) + "\n";
    text += "V " + key + "|Type|1|" + Hex(type + std::string(1, '\0')) + "\n";
    return text;
}

TEST_F(Associations, RoundTripGivesEveryKindBack) {
    SeedClasses();
    const std::string seeded = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());

    SetAssociations(Options(true, true));

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
        EXPECT_EQ(KvoBytes, ReadFileBytes(kvoFile));
        EXPECT_EQ(ZipBytes, ReadFileBytes(zipFile));
    } else {
        EXPECT_EQ("K .kvo\\ShellNew\nV .kvo\\ShellNew|Data|3|" + Hex(KvoBytes) + "\n",
                  DumpRegTree(HKEY_CLASSES_ROOT, ".kvo\\ShellNew"));
        EXPECT_EQ("K .zip\\ShellNew\nV .zip\\ShellNew|Data|3|" + Hex(ZipBytes) + "\n",
                  DumpRegTree(HKEY_CLASSES_ROOT, ".zip\\ShellNew"));
        EXPECT_EQ("<missing>", ReadFileBytes(kvoFile));
        EXPECT_EQ("<missing>", ReadFileBytes(zipFile));
    }
    // Only the ShellNew of .kvo and .zip is touched; the rest of .zip stays.
    EXPECT_EQ("C:\\Templates\\empty.cab", GetRegText(HKEY_CLASSES_ROOT, ".cab\\ShellNew", "FileName"));
    EXPECT_TRUE(RegKeyPresent(HKEY_CLASSES_ROOT, ".zip\\PersistentHandler"));

    // The saved associations, whole.
    std::string expected = "K Software\\Krelvo\nK Software\\Krelvo\\Setup\n";
    expected += Record(".ace", false, 0, "", "", "");
    expected += Record(".arj", false, 1, "OtherArc.arj", "", "");
    expected += Record(".bz", false, 0, "", "", "");
    expected += Record(".bz2", false, 1, "OtherArc.bz2", "", "");
    expected += Record(".cab", false, 1, "CABFolder", "", "C:\\Templates\\empty.cab");
    expected += Record(".gz", false, 1, "OtherArc.gz", "application/x-gzip", "");
    expected += Record(".iso", false, 1, "Burner.Image", "", "");
    expected += Record(".jar", false, 1, "", "application/java-archive", "");
    expected += Record(".kvo", false, 0, "", "", "");
    expected += Record(".lha", false, 0, "", "", "");
    expected += Record(".lzh", false, 0, "", "", "");
    expected += Record(".tar", false, 1, "OtherArc.tar", "application/x-tar", "");
    expected += Record(".tbz", false, 0, "", "", "");
    expected += Record(".tbz2", false, 0, "", "", "");
    expected += Record(".tgz", false, 0, "", "", "");
    expected += Record(".uu", false, 0, "", "", "");
    expected += Record(".uue", false, 0, "", "", "");
    expected += Record(".xxe", false, 0, "", "", "");
    expected += Record(".zip", false, 1, "CompressedFolder", "application/x-zip-compressed", "*");
    const std::string saved = DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo");
    EXPECT_EQ(SortLines(expected), saved);

    // A second run finds everything ours: the records and the classes stay as they are, and
    // the template files are not rewritten.
    const std::string associated = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());
    if (TemplateFileForm())
        WriteFileBytes(kvoFile, "edited");
    SetAssociations(Options(true, true));
    EXPECT_EQ(saved, DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo"));
    EXPECT_EQ(associated, DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()));
    if (TemplateFileForm()) {
        EXPECT_EQ("edited", ReadFileBytes(kvoFile));
        EXPECT_EQ(ZipBytes, ReadFileBytes(zipFile));
    }

    // Another program takes .gz meanwhile.
    const auto takeGz = [] {
        SetRegText(HKEY_CLASSES_ROOT, ".gz", "", "Another.gz");
        SetRegText(HKEY_CLASSES_ROOT, ".gz", "Content Type", "application/gzip");
    };
    takeGz();

    SetAssociations(Options(false, false));
    const std::string released = DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees());

    // Exactly as seeded, apart from what releasing itself leaves: .gz stays with its new
    // owner, the volume extensions follow the .kvo record (no key before: all deleted), .jar
    // gets its saved empty class written, and a "Data" entry installed on 95/98 stays.
    for (const std::string& tree : ClassTrees())
        WipeRegTree(HKEY_CLASSES_ROOT, tree);
    SeedClasses();
    EXPECT_EQ(seeded, DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()));
    for (int i = 0; i < 100; i++)
        WipeRegTree(HKEY_CLASSES_ROOT, Volume(i));
    SetRegText(HKEY_CLASSES_ROOT, ".jar", "", "");
    takeGz();
    if (!TemplateFileForm())
        SetRegBytes(HKEY_CLASSES_ROOT, SeedZipShellNew, "Data", REG_BINARY, ZipBytes.data(), 22);
    EXPECT_EQ(DumpRegTrees(HKEY_CLASSES_ROOT, ClassTrees()), released);
    // The records stay until the product settings key goes.
    EXPECT_EQ(saved, DumpRegTree(HKEY_CURRENT_USER, "Software\\Krelvo"));
}

}  // namespace
