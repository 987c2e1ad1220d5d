#include "installation.h"

#include <windows.h>
#include <shlobj.h>

#include "test_helpers.h"
#include "test_support.h"

using uninstall_tests::PathExists;
using uninstall_tests::WriteBytes;

namespace {
const char* const kListedFiles[] = {"uninstall.exe", "Krelvo.exe", "kvoext.dll", "Kvo.txt", "license.txt",
                                    "order.txt", "krelvo.hlp", "kvonew.dat", "zipnew.dat"};
}

std::string ProgramFilesFolder() {
    char programFiles[MAX_PATH] = "C:\\Program Files";
    SHGetSpecialFolderPathA(nullptr, programFiles, CSIDL_PROGRAM_FILES, TRUE);
    return programFiles;
}

std::string ProgramGroup() {
    char programs[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    return std::string(programs) + "\\Krelvo";
}

void Installation::Stage(const std::string& program, const std::string& kvoTemplate,
                         const std::string& zipTemplate) const {
    if (!parent.empty())
        CreateDirectoryA(parent.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    // The previous run's process may hold the file for a moment after it has ended.
    for (int tries = 0; tries < 40 && !CopyFileA(program.c_str(), Path("uninstall.exe").c_str(), FALSE); tries++)
        Sleep(250);
    CopyFileA((TestFolder() + "standin.exe").c_str(), Path("Krelvo.exe").c_str(), FALSE);
    // Any library will do for the shell extension: setup only registers it.
    CopyFileA((TestFolder() + "fixtures\\only_done_dialog.dll").c_str(), Path("kvoext.dll").c_str(), FALSE);
    for (const char* document : {"Kvo.txt", "license.txt", "order.txt", "krelvo.hlp"})
        WriteBytes(Path(document), std::string("Krelvo ") + document + "\r\n");
    if (!kvoTemplate.empty())
        WriteBytes(Path("kvonew.dat"), kvoTemplate);
    if (!zipTemplate.empty())
        WriteBytes(Path("zipnew.dat"), zipTemplate);
    std::string list;
    for (const char* name : kListedFiles)
        list += std::string(name) + "\r\n";
    WriteBytes(Path("Uninstall.lst"), list);
}

std::string Installation::Remaining() const {
    std::string remaining;
    for (const char* name : kListedFiles)
        if (strcmp(name, "uninstall.exe") != 0 && PathExists(Path(name)))
            remaining += std::string(name) + " ";
    return remaining + (PathExists(Path("Uninstall.lst")) ? "Uninstall.lst" : "");
}

void Installation::Clear() const {
    for (const char* name : kListedFiles)
        DeleteFileA(Path(name).c_str());
    for (const char* name : {"Uninstall.lst", "ran.txt", "parent.txt"})
        DeleteFileA(Path(name).c_str());
    RemoveDirectoryA(folder.c_str());
    if (!parent.empty())
        RemoveDirectoryA(parent.c_str());
}
