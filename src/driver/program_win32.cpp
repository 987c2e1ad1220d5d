#include <string.h>

#include "driver/files_in_use.h"
#include "driver/program.h"
#include "lang/message_text.h"
#include "resources/resource.h"
#include "shell/desktop_launch.h"
#include "support/format_text.h"
#include "support/run_log.h"
#include "support/system.h"

bool SilentSetup;
char ProgramGroupPath[1024];
HICON ProgramIcon;
HFONT BoldFont;

typedef HDC(WINAPI* GetDCFunction)(HWND);
typedef int(WINAPI* ReleaseDCFunction)(HWND, HDC);
typedef int(WINAPI* GetDeviceCapsFunction)(HDC, int);

// The screen's dots per inch, 96 when it cannot be told. The three calls are reached at run
// time: the import table holds only functions checked against Windows 95's and NT 4.0's export
// tables, and these have not been.
static int ScreenDpi() {
    GetDCFunction getDC = reinterpret_cast<GetDCFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDC")));
    ReleaseDCFunction releaseDC = reinterpret_cast<ReleaseDCFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "ReleaseDC")));
    GetDeviceCapsFunction deviceCaps = reinterpret_cast<GetDeviceCapsFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("gdi32.dll"), "GetDeviceCaps")));
    HDC screen = getDC && releaseDC && deviceCaps ? getDC(nullptr) : nullptr;
    if (!screen)
        return 96;
    int dpi = deviceCaps(screen, LOGPIXELSY);
    releaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

void StartLogOfRun(const char* arguments) {
    if (!StartRunLog())
        return;
    char program[1024];
    GetProgramPath(program);
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof(version);  // 148
    GetVersionExA(&version);
    bool ntFamily = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    // Vista and later: TokenElevation (20) of the process's token. Nothing before Vista.
    DWORD elevated = 0;
    const char* elevation = "";
    if (ntFamily && version.dwMajorVersion >= 6 && ReadProcessToken(GetCurrentProcess(), 20, &elevated, sizeof(elevated)))
        elevation = elevated ? ", elevated" : ", not elevated";
    // Looked up: not among the functions checked against Windows 95's export table.
    typedef BOOL(WINAPI * UserNameCall)(char*, DWORD*);
    UserNameCall userName = reinterpret_cast<UserNameCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "GetUserNameA")));
    char account[257];
    DWORD size = sizeof(account);
    if (!userName || !userName(account, &size))
        account[0] = '\0';
    RunLog("%s %s (version " KVO_VERSION ")", program, arguments);
    // 95/98/Me keep the version in the build number's high word.
    RunLog("Windows %lu.%lu.%lu, %s family, code page %u%s, account %s", version.dwMajorVersion,
           version.dwMinorVersion, version.dwBuildNumber & 0xFFFF, ntFamily ? "NT" : "95/98/Me", GetACP(),
           elevation, account);
}

HFONT CreateBoldFont() {
    // 12 pixels on a 96-DPI screen. The manifest declares the program DPI-aware, so Vista and
    // later no longer stretch its windows: the dialogs grow with their font, and this font must
    // grow by the screen's DPI too. Older systems lay every program out at the screen's DPI
    // (96, or 120 with large fonts), so there too the line keeps its proportion.
    int dpi = ScreenDpi();
    // GB2312_CHARSET (134) as the product always had it; the face name decides the glyphs.
    return CreateFontA(-(12 * dpi / 96), 0, 0, 0, FW_BOLD, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0,
                       "MS Sans Serif");
}

typedef HANDLE(WINAPI* CreateMutexFunction)(SECURITY_ATTRIBUTES*, BOOL, const char*);

bool TakeRunGuard() {
    static HANDLE guard;
    if (guard)
        return true;  // a second "setup" switch of the same run
    // Reached at run time: not among the functions checked against 95's and NT 4.0's exports.
    CreateMutexFunction createMutex =
        reinterpret_cast<CreateMutexFunction>(Kernel32Function("CreateMutexA"));
    if (!createMutex)
        return true;
    // A named mutex goes with the last process that holds it, so a run that crashed or was
    // ended blocks nobody. "Global\" makes it one for every session (fast user switching,
    // remote desktop) from Windows 2000 on; NT 4.0 and 95/98/Me have one namespace and no
    // such prefix.
    const char* name = NtMajorVersion() >= 5 ? "Global\\Krelvo setup and uninstall" : "Krelvo setup and uninstall";
    HANDLE mutex = createMutex(nullptr, FALSE, name);
    DWORD error = GetLastError();
    if (mutex && error != ERROR_ALREADY_EXISTS) {
        guard = mutex;
        return true;
    }
    if (mutex)
        CloseHandle(mutex);  // at once: a third run must not find it held by this one
    // Access denied: it exists, made by another account (a deployment tool's, as SYSTEM).
    // Any other failure tells nothing of another run, and must not block this one forever.
    return mutex == nullptr && error != ERROR_ACCESS_DENIED;
}

int RefuseSecondRun(const char* caption) {
    if (!SilentSetup)
        MessageBoxA(nullptr, MessageText(IDS_ALREADY_RUNNING), caption, MB_ICONWARNING | MB_SETFOREGROUND);
    return ExitAlreadyRunning;
}

void ShowManualDeletionWarning() {
    char programPath[1024];
    GetProgramPath(programPath);  // empty when it cannot be had whole

    // Still there after the script's tries: in use, so it goes at the next restart, and the
    // notice says so; only when that cannot be arranged is it to be deleted by hand. Only once
    // the uninstall is done, though: while the entry in the list of removable programs still
    // starts this program, the product is installed, and a restart must not take it away.
    bool atRestart = programPath[0] && !EntryStartsThisProgram(programPath) &&
                     DeleteProgramAtRestart(programPath);
    // The script of a silent uninstall runs this with "/s": nobody is to be asked or told.
    if (SilentSetup)
        return;
    // 5105, a line break, then 5114, or 5106 with the program path; cut to the buffer, never
    // overrun. Translated messages are data: their "%s" is filled without handing them to printf.
    char text[512];
    FormatWithText(text, sizeof(text), "%s\n", MessageText(5105));
    size_t used = strlen(text);
    FormatWithText(text + used, static_cast<int>(sizeof(text) - used), MessageText(atRestart ? 5114 : 5106),
                   programPath);
    MessageBoxA(nullptr, text, MessageText(5104), MB_ICONINFORMATION | MB_SETFOREGROUND);
}
