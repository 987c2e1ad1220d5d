#include "test_support.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

std::string TestFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

// KVO_PROGRAM_FILE: another file of the test folder in its place (the signed copy).
std::string ProgramPath() {
    const char* file = getenv("KVO_PROGRAM_FILE");
    return TestFolder() + (file && *file ? file : "uninstall.exe");
}

std::string Ansi(const char* utf8) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::vector<wchar_t> w(wide);
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), wide);
    int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> a(narrow);
    WideCharToMultiByte(CP_ACP, 0, w.data(), -1, a.data(), narrow, nullptr, nullptr);
    return std::string(a.data());
}

std::string WindowText(HWND window) {
    char text[4096];
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ItemText(HWND dialog, int id) {
    char text[4096];
    text[0] = '\0';
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

std::string ClassName(HWND window) {
    char name[256];
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// A sharing violation or access denied: the file of a process that has only just ended. An
// internal error: Wine's start of the new process did not complete, seen on a loaded machine
// before the program ran at all.
bool IsBriefRefusal(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_INTERNAL_ERROR;
}

bool RunningProgram::Start(const std::string& commandLine, const char* folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    for (startTries = 1;; startTries++) {
        started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                                 &startup, &info) != 0;
        if (started) {
            startTick = GetTickCount();
            return true;
        }
        startError = GetLastError();
        if (!IsBriefRefusal(startError) || startTries == 40)
            break;
        Sleep(250);
    }
    ADD_FAILURE() << "cannot start " << commandLine << ": Win32 error " << startError << " at try "
                  << startTries;
    return false;
}

bool RunningProgram::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!started || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(info.hProcess, exitCode);
    return true;
}

namespace {
struct DialogSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->processId && ClassName(window) == "#32770" && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND RunningProgram::WaitForDialog(DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (started) {
        DialogSearch search{info.dwProcessId, nullptr};
        EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
        // Wine shows a modal dialog that ended during WM_INITDIALOG for a moment before it is
        // destroyed; Windows never shows it. Only a window still there a little later counts.
        if (search.found) {
            Sleep(150);
            if (IsWindow(search.found) && IsWindowVisible(search.found))
                return search.found;
        }
        if (WaitForSingleObject(info.hProcess, 20) == WAIT_OBJECT_0)
            return nullptr;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
    }
    return nullptr;
}

RunningProgram::~RunningProgram() {
    if (!started)
        return;
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

namespace {
std::function<void(HWND)> g_during;  // the action waiting for its dialog
int g_actionsRun;

BOOL CALLBACK FindEnabledDialog(HWND window, LPARAM param) {
    if (ClassName(window) == "#32770" && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindEnabledDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !g_during)
        return;
    KillTimer(nullptr, timer);
    std::function<void(HWND)> during = g_during;
    g_during = nullptr;
    g_actionsRun++;
    during(dialog);
}
}  // namespace

INT_PTR RunModal(const std::function<INT_PTR()>& open, const std::function<void(HWND)>& during) {
    std::function<void(HWND)> outer = g_during;
    g_during = during;
    int before = g_actionsRun;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, ActOnDialog);
    INT_PTR result = open();
    KillTimer(nullptr, timer);
    bool ran = g_actionsRun != before;
    g_during = outer;
    EXPECT_TRUE(ran) << "the dialog never came up to be acted on (result " << result << ", Win32 error "
                     << GetLastError() << ")";
    return result;
}

INT_PTR RunModal(const char* templateName, DLGPROC procedure, const std::function<void(HWND)>& during) {
    return RunModal([=] { return DialogBoxParamA(GetModuleHandleA(nullptr), templateName, nullptr, procedure, 0); },
                    during);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

HelpRequest g_help;

static LRESULT CALLBACK HelpViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const BYTE* request = static_cast<const BYTE*>(data->lpData);
        // size, command, data, reserved, offset of the file name, offset of extra data.
        g_help.count++;
        g_help.command = *reinterpret_cast<const WORD*>(request + 2);
        g_help.context = *reinterpret_cast<const LONG*>(request + 4);
        WORD nameOffset = *reinterpret_cast<const WORD*>(request + 12);
        g_help.file = nameOffset ? reinterpret_cast<const char*>(request + nameOffset) : "";
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenHelpViewer() {
    WNDCLASSA viewerClass = {};
    viewerClass.lpfnWndProc = HelpViewerProc;
    viewerClass.hInstance = GetModuleHandleA(nullptr);
    viewerClass.lpszClassName = "MS_WINHELP";
    RegisterClassA(&viewerClass);
    return CreateWindowExA(0, "MS_WINHELP", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}
