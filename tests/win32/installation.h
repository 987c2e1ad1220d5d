// An installation folder laid out as the installer leaves it, for the runs of the whole
// program (end to end, interruption): the program, a stand-in archiver, the documents, the
// shell extension library and Uninstall.lst naming them.
#pragma once
#include <string>

// The Program Files folder of the prefix.
std::string ProgramFilesFolder();
// The user's program group that setup makes, "Krelvo" below the Programs folder.
std::string ProgramGroup();

struct Installation {
    std::string parent;  // a folder made for the test around the installation, or empty
    std::string folder;
    // folderPath: the installation folder; parentFolder: made (and removed) around it.
    explicit Installation(const std::string& folderPath, const std::string& parentFolder = "")
        : parent(parentFolder), folder(folderPath) {}
    ~Installation() { Clear(); }
    std::string Path(const char* name) const { return folder + "\\" + name; }
    // The command line of the program itself, quoted.
    std::string Program() const { return "\"" + Path("uninstall.exe") + "\""; }
    // Lays the folder out with program as its uninstall.exe, and with the new-file templates
    // that an earlier setup wrote, when given. False (and a test failure) when a file could not
    // be laid out, so that no run starts an old program file.
    bool Stage(const std::string& program, const std::string& kvoTemplate = "",
               const std::string& zipTemplate = "") const;
    // The listed files (but the program) and the list that are still there, by name.
    std::string Remaining() const;
    // Deletes what Stage made, and the folders.
    void Clear() const;
};
