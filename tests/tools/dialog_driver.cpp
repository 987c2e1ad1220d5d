// Runs a program and answers its dialogs and message boxes as a person would, printing what
// each one says (in UTF-8, for a terminal). Used by `make demo` and by scripted tests.
//
//   dialog_driver [--press ID]... [--timeout MS] [--shot UNIXDIR] -- PROGRAM [ARGUMENTS]
//
// Each dialog the program shows is answered with the next --press id (IDOK when the list is
// used up). With --shot, each dialog is first photographed on the X display into UNIXDIR/N.png
// (ImageMagick's import). Exit status: the program's exit code, or 99 when it did not end in
// time.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

static std::string ToUtf8(const char* ansi) {
    int wide = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, w.data(), wide);
    int narrow = WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> u(narrow);
    WideCharToMultiByte(CP_UTF8, 0, w.data(), -1, u.data(), narrow, nullptr, nullptr);
    return u.data();
}

struct Search {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    char name[64];
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, name, sizeof(name));
    if (pid == search->pid && strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    char text[4096], name[64];
    GetWindowTextA(child, text, sizeof(text));
    GetClassNameA(child, name, sizeof(name));
    if (text[0])
        printf("    [%d %s] %s\n", static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), name,
               ToUtf8(text).c_str());
    return TRUE;
}

// Photographs a window's rectangle of the X display. Unix programs started from Wine report
// their end early, so the shell leaves a marker file when the picture is written.
static void TakeScreenshot(HWND window, const char* unixFolder, int number) {
    RECT r;
    GetWindowRect(window, &r);
    char command[2048];
    snprintf(command, sizeof(command),
             "Z:\\bin\\sh -c \"import -window root -crop %ldx%ld+%ld+%ld '%s/%d.png'; touch '%s/%d.done'\"",
             r.right - r.left, r.bottom - r.top, r.left, r.top, unixFolder, number, unixFolder, number);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    char marker[1024];
    snprintf(marker, sizeof(marker), "Z:%s/%d.done", unixFolder, number);
    for (char* p = marker; *p; p++)
        if (*p == '/')
            *p = '\\';
    for (int i = 0; i < 200 && GetFileAttributesA(marker) == INVALID_FILE_ATTRIBUTES; i++)
        Sleep(50);
    DeleteFileA(marker);
    printf("  screenshot %s/%d.png\n", unixFolder, number);
}

int main(int argc, char** argv) {
    std::vector<int> presses;
    DWORD timeout = 60000;
    const char* shotFolder = nullptr;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; i++) {
        if (strcmp(argv[i], "--press") == 0 && i + 1 < argc)
            presses.push_back(atoi(argv[++i]));
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            timeout = static_cast<DWORD>(atoi(argv[++i]));
        else if (strcmp(argv[i], "--shot") == 0 && i + 1 < argc)
            shotFolder = argv[++i];
    }
    std::string commandLine;
    for (i++; i < argc; i++) {
        if (!commandLine.empty())
            commandLine += ' ';
        commandLine += strchr(argv[i], ' ') ? "\"" + std::string(argv[i]) + "\"" : argv[i];
    }
    if (commandLine.empty()) {
        fprintf(stderr, "usage: dialog_driver [--press ID]... [--timeout MS] -- PROGRAM [ARGS]\n");
        return 2;
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        fprintf(stderr, "cannot start %s\n", commandLine.c_str());
        return 2;
    }
    DWORD start = GetTickCount();
    size_t pressed = 0;
    HWND last = nullptr;
    while (WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeout) {
            TerminateProcess(info.hProcess, 99);
            fprintf(stderr, "timed out\n");
            return 99;
        }
        Search search{info.dwProcessId, nullptr};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found || search.found == last)
            continue;
        Sleep(150);  // a dialog that ends while it initialises flashes under Wine; skip it
        if (!IsWindow(search.found) || !IsWindowVisible(search.found))
            continue;
        char title[1024];
        GetWindowTextA(search.found, title, sizeof(title));
        printf("  window \"%s\"\n", ToUtf8(title).c_str());
        EnumChildWindows(search.found, PrintChild, 0);
        if (shotFolder) {
            Sleep(300);  // let it paint
            TakeScreenshot(search.found, shotFolder, static_cast<int>(pressed) + 1);
        }
        int id = pressed < presses.size() ? presses[pressed] : IDOK;
        pressed++;
        printf("  -> pressing %d\n", id);
        fflush(stdout);
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        last = search.found;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    printf("  ended after %lu ms with exit code %lu\n", GetTickCount() - start, exitCode);
    return static_cast<int>(exitCode);
}
