#include "installation.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

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

namespace {
// Copies a file of the installation, trying again for up to 10 s while the destination is
// briefly refused (the previous run's process may hold it for a moment after it has ended);
// a copy that did not happen is a test failure naming the Win32 error.
bool CopyInto(const std::string& from, const std::string& to) {
    for (int tries = 1;; tries++) {
        if (CopyFileA(from.c_str(), to.c_str(), FALSE))
            return true;
        DWORD error = GetLastError();
        if (!IsBriefRefusal(error) || tries == 40) {
            ADD_FAILURE() << "cannot copy " << from << " to " << to << ": Win32 error " << error
                          << " at try " << tries;
            return false;
        }
        Sleep(250);
    }
}
}  // namespace

bool Installation::Stage(const std::string& program, const std::string& kvoTemplate,
                         const std::string& zipTemplate) const {
    if (!parent.empty())
        CreateDirectoryA(parent.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    bool staged = CopyInto(program, Path("uninstall.exe")) &&
                  CopyInto(TestFolder() + "standin.exe", Path("Krelvo.exe")) &&
                  // Any library will do for the shell extension: setup only registers it.
                  CopyInto(TestFolder() + "fixtures\\only_done_dialog.dll", Path("kvoext.dll"));
    for (const char* document : {"Kvo.txt", "license.txt", "order.txt", "krelvo.hlp"})
        staged = WriteBytes(Path(document), std::string("Krelvo ") + document + "\r\n") && staged;
    if (!kvoTemplate.empty())
        staged = WriteBytes(Path("kvonew.dat"), kvoTemplate) && staged;
    if (!zipTemplate.empty())
        staged = WriteBytes(Path("zipnew.dat"), zipTemplate) && staged;
    std::string list;
    for (const char* name : kListedFiles)
        list += std::string(name) + "\r\n";
    return WriteBytes(Path("Uninstall.lst"), list) && staged;
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
