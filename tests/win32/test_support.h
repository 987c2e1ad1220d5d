// Helpers of the Win32 suites: starting the real program, finding its dialogs and message boxes
// through the window manager, and texts in the ANSI code page.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The folder of the test program, with a trailing backslash; uninstall.exe is built beside it.
std::string TestFolder();
std::string ProgramPath();

// A UTF-8 text in the ANSI code page (Big5 under code page 950).
std::string Ansi(const char* utf8);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
std::string ClassName(HWND window);

// Whether a Win32 error is the brief refusal of a file that a process which has just ended
// still held: worth another try a moment later.
bool IsBriefRefusal(DWORD error);

// A running program started with CreateProcess; the destructor waits (bounded) and closes.
struct RunningProgram {
    PROCESS_INFORMATION info{};
    DWORD startTick = 0;  // taken when the start succeeded
    bool started = false;
    DWORD startError = 0;  // what the last failed try of CreateProcess reported
    int startTries = 0;

    // commandLine is the whole command line; folder is the current directory or null. Under
    // Wine a program file whose previous process has only just ended can be refused for a
    // moment (a sharing violation or access denied), and on a loaded machine a start can fail
    // inside Wine's loader (an internal error): those are tried again for up to 10 s.
    // A start that fails is reported as a test failure naming the Win32 error.
    bool Start(const std::string& commandLine, const char* folder = nullptr);
    // Waits for the end; false when it did not end in time.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // The first top-level dialog or message box ("#32770") of the process, or null after the
    // timeout or once the process has ended.
    HWND WaitForDialog(DWORD timeoutMs);
    ~RunningProgram();
};

// Runs a modal dialog of this thread, which `open` starts (and whose result it returns), and lets
// `during` act on it once it is up, the way a user would: a thread timer fires inside the
// dialog's own message loop and hands `during` the thread's enabled dialog, which is the newest
// when one modal dialog is owned by another. A dialog that never came up, so that `during`
// never ran, is a test failure. Calls nest: `during` may open a dialog of its own this way.
INT_PTR RunModal(const std::function<INT_PTR()>& open, const std::function<void(HWND)>& during);
// A template of this program with the given procedure.
INT_PTR RunModal(const char* templateName, DLGPROC procedure, const std::function<void(HWND)>& during);

// Answers a dialog or message box as its button would.
void PressButton(HWND dialog, int id);

// A stand-in help viewer: WinHelpA hands its request to a window of class "MS_WINHELP", which
// records the last one here.
struct HelpRequest {
    int count;
    int command;
    long context;
    std::string file;
};
extern HelpRequest g_help;
HWND OpenHelpViewer();
