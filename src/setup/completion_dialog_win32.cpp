// "DONEDLG": where the product was installed, and buttons that start it or open its help,
// licence, price list and home page. Every way of closing it ends it with 1.
#include <string.h>

#include "driver/program.h"
#include "lang/ext_resource.h"
#include "lang/message_text.h"
#include "resources/resource.h"
#include "setup/common_dialog.h"
#include "setup/setup_dialogs.h"
#include "shell/desktop_launch.h"
#include "support/text.h"

#include <shellapi.h>

bool LaunchProgram(const char* commandLine) {
    char line[1024 + 2];  // CreateProcessA may write into its command line
    size_t n = strlen(commandLine);
    if (n >= sizeof(line))
        return false;
    memcpy(line, commandLine, n + 1);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The installation folder (the current directory) with a backslash and the given name, in a
// 1024-byte buffer; false when it does not fit.
static bool InstalledFilePath(char* path, const char* name) {
    const DWORD size = 1024;
    DWORD n = GetCurrentDirectoryA(size, path);
    if (n == 0 || n >= size - 1)
        return false;
    AppendBackslash(path);
    size_t used = strlen(path);
    if (used + strlen(name) >= size)
        return false;
    strcpy(path + used, name);
    return true;
}

// A missing file is not handed to the desktop's Explorer, which would report it.
static bool StartedAsDesktopUser(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES && StartAsDesktopUser(path);
}

static void RunInstalledProgram() {
    char path[1024];
    if (!InstalledFilePath(path, "Krelvo.exe") || StartedAsDesktopUser(path))
        return;
    // Quoted: a folder with blanks would otherwise make the system try C:\Program.exe first.
    char commandLine[1024 + 2];
    commandLine[0] = '"';
    size_t n = strlen(path);
    memcpy(commandLine + 1, path, n);
    commandLine[n + 1] = '"';
    commandLine[n + 2] = '\0';
    LaunchProgram(commandLine);
}

static void OpenInstalledDocument(const char* name) {
    char path[1024];
    if (InstalledFilePath(path, name) && !StartedAsDesktopUser(path))
        ShellExecuteA(nullptr, "open", path, nullptr, "", SW_SHOWNORMAL);
}

INT_PTR CALLBACK CompletionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    HandleCommonDialogMessage(dialog, message, wParam, lParam, "DONEDLG", CompletionHelpContext);
    switch (message) {
    case WM_INITDIALOG: {
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon));
        SendDlgItemMessageA(dialog, IDC_THANKS, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont), 0);
        char folder[1024];
        DWORD n = GetCurrentDirectoryA(sizeof(folder), folder);
        if (n == 0 || n >= sizeof(folder))
            folder[0] = '\0';
        SetDlgItemTextA(dialog, IDC_INSTALL_FOLDER, folder);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 1);
            break;
        case IDC_RUN_PROGRAM:
            RunInstalledProgram();
            break;
        case IDC_READ_HELP:
            WinHelpA(dialog, "krelvo.hlp", HELP_FINDER, 0);
            break;
        case IDC_LICENSE:
            OpenInstalledDocument("license.txt");
            break;
        case IDC_ORDER:
            OpenInstalledDocument("order.txt");
            break;
        case IDC_HOME_PAGE:
            OpenAsDesktopUser(MessageText(IDS_HOME_PAGE));
            break;
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR RunCompletionDialog() {
    // A silent setup closes it at once: it is not made at all.
    if (SilentSetup)
        return 1;
    return DialogBoxParamA(ResourceModule, "DONEDLG", nullptr, CompletionDialogProc, 0);
}
