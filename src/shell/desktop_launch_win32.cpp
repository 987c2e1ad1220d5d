// Programs, documents, folders and addresses started as the desktop's user. Run elevated on
// Windows Vista and later, this program would hand its elevation to everything it starts, and
// after an over-the-shoulder elevation start it as the administrator who typed the password.
// The desktop's Explorer runs as the user who is logged on: it is asked to start them instead.
#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "shell/desktop_launch.h"
#include "support/system.h"

// TokenUser and TokenElevation (Vista on) of TOKEN_INFORMATION_CLASS.
static const int TokenUserClass = 1;
static const int TokenElevationClass = 20;
// Opens another user's process for its token; from Vista on, the only systems that ask.
static const DWORD QueryLimitedInformation = 0x1000;

// Windows 95 lacks OpenProcessToken, GetTokenInformation and EqualSid; these and the others
// below are looked up when needed, so that the import table keeps to the functions checked
// against the export tables of 95 to NT 4.0.
static void* SystemFunction(const char* module, const char* name) {
    HMODULE library = GetModuleHandleA(module);
    return library ? reinterpret_cast<void*>(GetProcAddress(library, name)) : nullptr;
}

bool ReadProcessToken(HANDLE process, int informationClass, void* buffer, DWORD size) {
    typedef BOOL(WINAPI * OpenTokenCall)(HANDLE, DWORD, HANDLE*);
    typedef BOOL(WINAPI * TokenInformationCall)(HANDLE, int, void*, DWORD, DWORD*);
    OpenTokenCall openToken =
        reinterpret_cast<OpenTokenCall>(SystemFunction("advapi32.dll", "OpenProcessToken"));
    TokenInformationCall tokenInformation =
        reinterpret_cast<TokenInformationCall>(SystemFunction("advapi32.dll", "GetTokenInformation"));
    HANDLE token;
    if (!openToken || !tokenInformation || !openToken(process, TOKEN_QUERY, &token))
        return false;
    DWORD written = 0;
    BOOL ok = tokenInformation(token, informationClass, buffer, size, &written);
    CloseHandle(token);
    return ok != FALSE;
}

static bool ProcessIsElevated() {
    DWORD elevated = 0;
    return ReadProcessToken(GetCurrentProcess(), TokenElevationClass, &elevated, sizeof(elevated)) &&
           elevated;
}

bool ProcessRunsAsThisUser(DWORD processId) {
    typedef HANDLE(WINAPI * OpenProcessCall)(DWORD, BOOL, DWORD);
    typedef BOOL(WINAPI * EqualSidCall)(PSID, PSID);
    OpenProcessCall openProcess =
        reinterpret_cast<OpenProcessCall>(SystemFunction("kernel32.dll", "OpenProcess"));
    EqualSidCall equalSid = reinterpret_cast<EqualSidCall>(SystemFunction("advapi32.dll", "EqualSid"));
    // A TOKEN_USER with its SID (at most 68 bytes) behind it.
    union UserBuffer {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + 68];
    } ours, theirs;
    HANDLE process = openProcess ? openProcess(QueryLimitedInformation, FALSE, processId) : nullptr;
    bool same = process && equalSid &&
                ReadProcessToken(GetCurrentProcess(), TokenUserClass, &ours, sizeof(ours)) &&
                ReadProcessToken(process, TokenUserClass, &theirs, sizeof(theirs)) &&
                equalSid(ours.user.User.Sid, theirs.user.User.Sid);
    if (process)
        CloseHandle(process);
    return same;
}

// Whether the process of a window runs as this process's user. After an over-the-shoulder
// elevation it does not: what this process made in its own profile (the program group) is
// then unreadable to the desktop's Explorer, and the launch fails with an access box. The
// direct start works for both users, at the cost of the started program inheriting the
// elevation, so a check that cannot be made counts as another user.
static bool WindowRunsAsThisUser(HWND window) {
    typedef DWORD(WINAPI * WindowProcessCall)(HWND, DWORD*);
    WindowProcessCall windowProcess =
        reinterpret_cast<WindowProcessCall>(SystemFunction("user32.dll", "GetWindowThreadProcessId"));
    DWORD processId = 0;
    return windowProcess && windowProcess(window, &processId) && ProcessRunsAsThisUser(processId);
}

// The desktop view's IShellDispatch2, through the desktop's shell window: null when there is
// no desktop Explorer (another shell, or none), when it runs as another user, or any step fails.
static IShellDispatch2* DesktopShellDispatch() {
    IShellWindows* windows = nullptr;
    IDispatch* desktop = nullptr;
    IServiceProvider* services = nullptr;
    IShellBrowser* browser = nullptr;
    IShellView* view = nullptr;
    IDispatch* background = nullptr;
    IShellFolderViewDual* folderView = nullptr;
    IDispatch* application = nullptr;
    IShellDispatch2* shell = nullptr;
    VARIANT location;
    VARIANT root;
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    root.vt = VT_EMPTY;
    long window = 0;
    bool found =
        SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                   reinterpret_cast<void**>(&windows))) &&
        windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              &desktop) == S_OK && desktop &&
        WindowRunsAsThisUser(reinterpret_cast<HWND>(static_cast<INT_PTR>(window))) &&
        SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services))) &&
        SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                         reinterpret_cast<void**>(&browser))) &&
        SUCCEEDED(browser->QueryActiveShellView(&view)) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch,
                                      reinterpret_cast<void**>(&background))) &&
        SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual,
                                             reinterpret_cast<void**>(&folderView))) &&
        SUCCEEDED(folderView->get_Application(&application)) &&
        SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(&shell)));
    IUnknown* used[] = {application, folderView, background, view, browser, services, desktop, windows};
    for (IUnknown* object : used)
        if (object)
            object->Release();
    return found ? shell : nullptr;
}

bool StartAsDesktopUser(const char* file) {
    if (NtMajorVersion() < 6 || !ProcessIsElevated())
        return false;
    // The started program gets this process's current directory, as ShellExecuteA would give it.
    char folder[1024];
    DWORD n = GetCurrentDirectoryA(sizeof(folder), folder);
    WCHAR wideFile[1024];
    WCHAR wideFolder[1024];
    if (n == 0 || n >= sizeof(folder) ||
        !MultiByteToWideChar(CP_ACP, 0, file, -1, wideFile, 1024) ||
        !MultiByteToWideChar(CP_ACP, 0, folder, -1, wideFolder, 1024))
        return false;
    // Texts cross to Explorer's process as BSTRs. oleaut32 stays out of the import table,
    // which keeps to the functions checked against the export tables of 95 to NT 4.0.
    typedef BSTR(WINAPI * AllocCall)(const OLECHAR*);
    typedef void(WINAPI * FreeCall)(BSTR);
    HMODULE automation = LoadLibraryA("oleaut32.dll");
    AllocCall allocText = reinterpret_cast<AllocCall>(
        reinterpret_cast<void*>(GetProcAddress(automation, "SysAllocString")));
    FreeCall freeText = reinterpret_cast<FreeCall>(
        reinterpret_cast<void*>(GetProcAddress(automation, "SysFreeString")));
    bool started = false;
    IShellDispatch2* shell = allocText && freeText ? DesktopShellDispatch() : nullptr;
    if (shell) {
        VARIANT none, directory, verb, show;
        none.vt = VT_EMPTY;
        directory.vt = VT_BSTR;
        directory.bstrVal = allocText(wideFolder);
        verb.vt = VT_BSTR;
        verb.bstrVal = allocText(L"open");
        show.vt = VT_I4;
        show.lVal = SW_SHOWNORMAL;
        BSTR path = allocText(wideFile);
        started = path && directory.bstrVal && verb.bstrVal &&
                  SUCCEEDED(shell->ShellExecute(path, none, directory, verb, show));
        freeText(path);
        freeText(directory.bstrVal);
        freeText(verb.bstrVal);
        shell->Release();
    }
    if (automation)
        FreeLibrary(automation);
    return started;
}

void OpenAsDesktopUser(const char* file) {
    if (!StartAsDesktopUser(file))
        ShellExecuteA(nullptr, "open", file, nullptr, "", SW_SHOWNORMAL);
}
