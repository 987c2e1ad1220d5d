// Dialog translation, scaling, mirroring and help on real dialogs made from the program's own
// templates (and two test templates), through the common dialog handling.
#include <vector>

#include "driver/program.h"
#include "lang_fixture.h"
#include "resource.h"
#include "setup/common_dialog.h"
#include "test_helpers.h"

namespace {

const char* g_templateName;
int g_helpContext;
int g_extraControls;  // statics added to the dialog before the common handling sees WM_INITDIALOG
bool g_farControl;    // and one far beyond the dialog's edges, as a huge template places it

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < g_extraControls; i++)
            CreateWindowExA(0, "STATIC", "x", WS_CHILD, 0, i, 10, 1, dialog, nullptr, nullptr, nullptr);
        if (g_farControl)
            CreateWindowExA(0, "STATIC", "far", WS_CHILD, 30000, 30000, 30000, 30000, dialog,
                            nullptr, nullptr, nullptr);
    }
    HandleCommonDialogMessage(dialog, message, wParam, lParam, g_templateName, g_helpContext);
    return message == WM_INITDIALOG;
}

// A modeless instance of a template from the resource module (or the given module).
HWND OpenDialog(const char* templateName, int helpContext = 0, HINSTANCE module = nullptr) {
    g_templateName = templateName;
    g_helpContext = helpContext;
    return CreateDialogParamA(module ? module : ResourceModule, templateName, nullptr,
                              TestDialogProc, 0);
}

std::vector<HWND> Controls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        controls.push_back(c);
    return controls;
}

// A dialog's geometry: window and client rectangles, and every control's window rectangle.
struct Layout {
    RECT window, client;
    std::vector<RECT> controls;
    std::vector<std::string> texts;
    std::string caption;
};

Layout Measure(HWND dialog) {
    Layout layout;
    GetWindowRect(dialog, &layout.window);
    GetClientRect(dialog, &layout.client);
    layout.caption = WindowText(dialog);
    for (HWND c : Controls(dialog)) {
        RECT r;
        GetWindowRect(c, &r);
        layout.controls.push_back(r);
        layout.texts.push_back(WindowText(c));
    }
    return layout;
}

// The control's rectangle in the dialog's client coordinates.
RECT ClientRect(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class DialogTest : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        richEdit = LoadLibraryA("riched32.dll");  // the setup dialog's explanation control
        g_extraControls = 0;
        g_farControl = false;
    }
    void TearDown() override {
        if (richEdit)
            FreeLibrary(richEdit);
        LanguageTest::TearDown();
    }
    // The unscaled, untranslated layout of a template.
    Layout Baseline(const char* templateName) {
        HWND dialog = OpenDialog(templateName);
        EXPECT_NE(nullptr, dialog) << GetLastError();
        Layout layout = Measure(dialog);
        DestroyWindow(dialog);
        return layout;
    }
    HMODULE richEdit = nullptr;
};

TEST_F(DialogTest, WithoutFileNothingChanges) {
    Layout before = Baseline("SETUPDLG");
    ASSERT_GT(before.controls.size(), 20u);
    HWND dialog = OpenDialog("SETUPDLG");
    Layout after = Measure(dialog);
    EXPECT_EQ(before.caption, after.caption);
    EXPECT_EQ(before.texts, after.texts);
    EXPECT_EQ(0, GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    DestroyWindow(dialog);
}

// Checks a scaled dialog against the layout formulas applied to its baseline.
void ExpectScaled(HWND dialog, const Layout& base, int sx, int sy) {
    int dx = base.window.right - base.window.left + 1 - base.client.right;
    int dy = base.window.bottom - base.window.top + 1 - base.client.bottom;
    RECT w;
    GetWindowRect(dialog, &w);
    EXPECT_EQ(base.window.left, w.left);
    EXPECT_EQ(base.window.top, w.top);
    EXPECT_EQ(base.client.right * sx / 100 + dx, w.right - w.left);
    EXPECT_EQ(base.client.bottom * sy / 100 + dy, w.bottom - w.top);
    dy -= GetSystemMetrics(SM_CYDLGFRAME);
    std::vector<HWND> controls = Controls(dialog);
    ASSERT_EQ(base.controls.size(), controls.size());
    for (size_t i = 0; i < controls.size(); i++) {
        const RECT& r = base.controls[i];
        RECT now = ClientRect(dialog, controls[i]);
        EXPECT_EQ((r.left - base.window.left - dx / 2) * sx / 100, now.left) << i;
        EXPECT_EQ((r.top - base.window.top - dy) * sy / 100, now.top) << i;
        EXPECT_EQ((r.right - r.left + 1) * sx / 100, now.right - now.left) << i;
        EXPECT_EQ((r.bottom - r.top + 1) * sy / 100, now.bottom - now.top) << i;
    }
}

TEST_F(DialogTest, TextsTranslatedAndDialogWidened) {
    Layout base = Baseline("SETUPDLG");
    HWND probe = OpenDialog("SETUPDLG");
    std::string okText = WindowText(GetDlgItem(probe, IDOK));
    std::string helpText = WindowText(GetDlgItem(probe, IDC_HELP_BUTTON));
    DestroyWindow(probe);
    LoadLanguage("setup.lng", Entry('$', "SETUPDLG", base.caption, "Krelvo Setup") +
                              Entry('$', "SETUPDLG", okText, "OK") +
                              Entry('$', "DONEDLG", helpText, "Help (other dialog)") +
                              "9b889d24=\"115*100\"\r\n");
    HWND dialog = OpenDialog("SETUPDLG");
    EXPECT_EQ("Krelvo Setup", WindowText(dialog));
    EXPECT_EQ("OK", WindowText(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(helpText, WindowText(GetDlgItem(dialog, IDC_HELP_BUTTON)));
    ExpectScaled(dialog, base, 115, 100);
    DestroyWindow(dialog);
}

TEST_F(DialogTest, ScalesThatLeaveTheLayout) {
    Layout base = Baseline("DONEDLG");
    for (const char* scale : {"100*100", "120", " 100 * 100 "}) {
        LoadLanguage("done.lng", Entry('$', "DONEDLG", "", scale) +
                                 Entry('$', "DONEDLG", base.caption, "Setup done"));
        HWND dialog = OpenDialog("DONEDLG");
        Layout now = Measure(dialog);
        EXPECT_EQ("Setup done", now.caption) << scale;
        EXPECT_EQ(0, memcmp(&base.window, &now.window, sizeof(RECT))) << scale;
        ASSERT_EQ(base.controls.size(), now.controls.size());
        for (size_t i = 0; i < base.controls.size(); i++)
            EXPECT_EQ(0, memcmp(&base.controls[i], &now.controls[i], sizeof(RECT))) << scale << i;
        DestroyWindow(dialog);
    }
}

TEST_F(DialogTest, ZeroWidthAndTallerScales) {
    Layout base = Baseline("CONTEXTITEMS");
    LoadLanguage("items.lng", Entry('$', "CONTEXTITEMS", "", "*120"));
    HWND dialog = OpenDialog("CONTEXTITEMS");
    ExpectScaled(dialog, base, 0, 120);
    for (HWND c : Controls(dialog)) {
        RECT r = ClientRect(dialog, c);
        EXPECT_EQ(0, r.left);
        EXPECT_EQ(0, r.right - r.left);
    }
    DestroyWindow(dialog);

    LoadLanguage("items2.lng", Entry('$', "CONTEXTITEMS", "", "90*130"));
    dialog = OpenDialog("CONTEXTITEMS");
    ExpectScaled(dialog, base, 90, 130);
    DestroyWindow(dialog);
}

// Records the positions and sizes that moves with resizes ask of each window
// (WM_WINDOWPOSCHANGING); a combo box's own later adjustments keep their position and are left out.
struct Request { HWND window; POINT position; SIZE size; };
std::vector<Request> g_requestedSizes;
LRESULT CALLBACK RecordSizes(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_WINDOWPOSCHANGING) {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(call->lParam);
        if (!(pos->flags & (SWP_NOSIZE | SWP_NOMOVE)))
            g_requestedSizes.push_back({call->hwnd, POINT{pos->x, pos->y}, SIZE{pos->cx, pos->cy}});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

const Request* Requested(HWND window) {
    for (auto& r : g_requestedSizes) {
        if (r.window == window)
            return &r;
    }
    return nullptr;
}

SIZE RequestedSize(HWND window) {
    const Request* r = Requested(window);
    return r ? r->size : SIZE{-1, -1};
}

TEST_F(DialogTest, DropDownComboGetsItsListHeight) {
    HWND probe = OpenDialog("COMBOTEST", 0, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, probe);
    RECT dropDown, simple, list;
    GetWindowRect(GetDlgItem(probe, 101), &dropDown);
    GetWindowRect(GetDlgItem(probe, 102), &simple);
    SendMessageA(GetDlgItem(probe, 101), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
    ASSERT_GT(list.bottom - list.top, dropDown.bottom - dropDown.top);
    DestroyWindow(probe);

    // The caption is empty: its key is the scale entry's, so it shows the scale text.
    LoadLanguage("combo.lng", Entry('$', "COMBOTEST", "", "110*150"));
    g_requestedSizes.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSizes, nullptr, GetCurrentThreadId());
    HWND dialog = OpenDialog("COMBOTEST", 0, GetModuleHandleA(nullptr));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ("110*150", WindowText(dialog));
    SIZE d = RequestedSize(GetDlgItem(dialog, 101));
    EXPECT_EQ((dropDown.right - dropDown.left + 1) * 110 / 100, d.cx);
    EXPECT_EQ((dropDown.bottom - dropDown.top + 1) * 150 / 100 + (list.bottom - list.top + 1) * 150 / 100,
              d.cy);
    SIZE s = RequestedSize(GetDlgItem(dialog, 102));
    EXPECT_EQ((simple.right - simple.left + 1) * 110 / 100, s.cx);
    EXPECT_EQ((simple.bottom - simple.top + 1) * 150 / 100, s.cy);
    DestroyWindow(dialog);
}

// A control 30000 pixels out, scaled by the largest factor: the products leave 32 bits, and the
// results are held at the largest coordinate a window keeps instead of wrapping to negatives.
TEST_F(DialogTest, HugeScalesClampInsteadOfWrapping) {
    LoadLanguage("huge.lng", Entry('$', "MANYTEST", "", "100000*100000"));
    g_farControl = true;
    g_requestedSizes.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSizes, nullptr, GetCurrentThreadId());
    HWND dialog = OpenDialog("MANYTEST", 0, GetModuleHandleA(nullptr));
    UnhookWindowsHookEx(hook);
    ASSERT_NE(nullptr, dialog);
    const Request* outside = Requested(GetWindow(dialog, GW_CHILD));
    ASSERT_NE(nullptr, outside);
    EXPECT_EQ(32767, outside->position.x);
    EXPECT_EQ(32767, outside->position.y);
    EXPECT_EQ(32767, outside->size.cx);
    EXPECT_EQ(32767, outside->size.cy);
    DestroyWindow(dialog);
}

TEST_F(DialogTest, AtMost512ControlsAreTranslated) {
    LoadLanguage("many.lng", Entry('$', "MANYTEST", "x", "y"));
    g_extraControls = 520;
    HWND dialog = OpenDialog("MANYTEST", 0, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, dialog);
    std::vector<HWND> controls = Controls(dialog);
    ASSERT_EQ(520u, controls.size());
    for (size_t i = 0; i < controls.size(); i++)
        ASSERT_EQ(i < 512 ? "y" : "x", WindowText(controls[i])) << i;
    DestroyWindow(dialog);
}

TEST_F(DialogTest, RightToLeftMirrorsDialogsAndControls) {
    LoadLanguage("rtl.lng", "50a17ae8=\"RTL\"\r\n");
    for (const char* name : {"SETUPDLG", "CONTEXTITEMS", "DONEDLG"}) {
        HWND dialog = OpenDialog(name);
        ASSERT_NE(nullptr, dialog) << name;
        EXPECT_NE(0, GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) << name;
        HWND control = GetDlgItem(dialog, IDOK);
        EXPECT_NE(0, GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) << name;
        DestroyWindow(dialog);
    }
    LoadLanguage("ltr.lng", "50a17ae8=\"LTR\"\r\n");
    HWND dialog = OpenDialog("CONTEXTITEMS");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(0, GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    DestroyWindow(dialog);
}

// Every control's rectangle in screen pixels from the dialog's left edge, or from its right
// edge (left and right swapped): what a mirrored dialog shows on its right.
std::vector<RECT> FromEdge(HWND dialog, bool fromRight) {
    RECT w;
    GetWindowRect(dialog, &w);
    std::vector<RECT> rects;
    for (HWND c : Controls(dialog)) {
        RECT r;
        GetWindowRect(c, &r);
        if (fromRight)
            rects.push_back(RECT{w.right - r.right, r.top - w.top, w.right - r.left, r.bottom - w.top});
        else
            rects.push_back(RECT{r.left - w.left, r.top - w.top, r.right - w.left, r.bottom - w.top});
    }
    return rects;
}

// Scaled and mirrored, each control lies as far from the right edge as it lies from the left in
// the same dialog scaled without mirroring: by the file's direction entry, and by a library.
TEST_F(DialogTest, ScaledRightToLeftDialogsKeepTheMirroredLayout) {
    for (const char* library : {"", "kvolng_rtl"}) {
        for (const char* scale : {"115*100", "100*110"}) {
            if (*library)
                LoadLibraryFixture("kvolng_plain");
            LoadLanguage("scaled-ltr.lng", Entry('$', "SETUPDLG", "", scale));
            HWND dialog = OpenDialog("SETUPDLG");
            ASSERT_NE(nullptr, dialog);
            std::vector<RECT> ltr = FromEdge(dialog, false);
            DestroyWindow(dialog);

            if (*library)
                LoadLibraryFixture(library);
            LoadLanguage("scaled-rtl.lng", Entry('$', "SETUPDLG", "", scale) +
                                           (*library ? "" : "50a17ae8=\"RTL\"\r\n"));
            ASSERT_TRUE(g_language.IsRightToLeft());
            dialog = OpenDialog("SETUPDLG");
            std::vector<RECT> rtl = FromEdge(dialog, true);
            DestroyWindow(dialog);

            ASSERT_EQ(ltr.size(), rtl.size());
            for (size_t i = 0; i < ltr.size(); i++) {
                std::string where = std::string(scale) + " " + library + " control " + std::to_string(i);
                EXPECT_NEAR(ltr[i].left, rtl[i].left, 1) << where;
                EXPECT_NEAR(ltr[i].right, rtl[i].right, 1) << where;
                EXPECT_NEAR(ltr[i].top, rtl[i].top, 1) << where;
                EXPECT_NEAR(ltr[i].bottom, rtl[i].bottom, 1) << where;
            }
        }
    }
}

TEST_F(DialogTest, LibraryDialogsMirroredAndTranslatedFromTheirOwnTexts) {
    LoadLibraryFixture("kvolng_rtl");
    LoadLanguage("library.lng", Entry('$', "CONTEXTITEMS", "Extract files...", "Extraire...") +
                                Entry('$', "CONTEXTITEMS", "Context menu items", "Menu"));
    ASSERT_TRUE(g_language.IsRightToLeft());
    HWND dialog = OpenDialog("CONTEXTITEMS");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("Menu", WindowText(dialog));
    EXPECT_EQ("Extraire...", WindowText(GetDlgItem(dialog, 101)));
    EXPECT_EQ("OK", WindowText(GetDlgItem(dialog, IDOK)));
    EXPECT_NE(0, GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    DestroyWindow(dialog);
}

// Whether a control shows its whole text, measured as it draws it (its font, "&" prefixes, word
// wrap in static texts) against the room it leaves for the text; "" when it does, else why not.
std::string ClippedText(HWND control) {
    std::string text = WindowText(control);
    std::string kind = ClassName(control);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (text.empty() || lstrcmpiA(kind.c_str(), "RICHEDIT") == 0)  // the explanation scrolls
        return "";
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    RECT client;
    GetClientRect(control, &client);
    int room = client.right;
    UINT format = DT_CALCRECT | DT_SINGLELINE;
    if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        LONG type = style & BS_TYPEMASK;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX)
            room -= GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;  // box and gap
        else if (type == BS_GROUPBOX)
            room -= 2 * metrics.tmAveCharWidth;  // the frame's corners left and right
        else
            room -= 2 * GetSystemMetrics(SM_CXEDGE);
    } else if ((style & SS_TYPEMASK) <= SS_RIGHT) {
        format = DT_CALCRECT | DT_WORDBREAK | (style & SS_NOPREFIX ? DT_NOPREFIX : 0);
    }
    RECT need = {0, 0, room, 0};
    DrawTextA(dc, text.c_str(), -1, &need, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (need.right > room)
        return text + ": " + std::to_string(need.right) + " pixels wide in " + std::to_string(room);
    if (!(format & DT_SINGLELINE) && need.bottom > client.bottom)
        return text + ": " + std::to_string(need.bottom) + " pixels tall in " + std::to_string(client.bottom);
    return "";
}

// The three dialogs, with the built-in texts, the English library and the mirrored sample, lay
// out within themselves at the screen's DPI: every control inside the dialog and every text whole,
// the closing line in the bold font of 12 pixels at 96 DPI, scaled by the DPI. Run again at 144 DPI
// by the next test.
TEST_F(DialogTest, EveryTextFitsAtTheScreenDpi) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    const char* expected = getenv("KVO_EXPECT_DPI");
    EXPECT_EQ(expected ? atoi(expected) : 96, dpi);
    HFONT bold = CreateBoldFont();
    HGDIOBJ old = SelectObject(screen, bold);
    TEXTMETRICA metrics;
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(12 * dpi / 96, metrics.tmHeight - metrics.tmInternalLeading) << "the bold font's character height";

    for (const char* library : {"", "kvolng_english", "kvolng_rtl_sample"}) {
        if (*library)
            LoadLibraryFixture(library);
        g_language.Load((ScratchFolder("empty") + "none.lng").c_str());
        for (const char* name : {"SETUPDLG", "CONTEXTITEMS", "DONEDLG"}) {
            std::string where = std::string(name) + " " + library + " at " + std::to_string(dpi) + " DPI: ";
            HWND dialog = OpenDialog(name);
            ASSERT_NE(nullptr, dialog) << where;
            if (HWND thanks = GetDlgItem(dialog, IDC_THANKS))
                SendMessageA(thanks, WM_SETFONT, reinterpret_cast<WPARAM>(bold), 0);
            RECT client;
            GetClientRect(dialog, &client);
            for (HWND c : Controls(dialog)) {
                RECT r = ClientRect(dialog, c);
                if (r.left > r.right)  // a mirrored dialog hands the corners back swapped
                    std::swap(r.left, r.right);
                EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
                    << where << WindowText(c) << " at " << r.left << "," << r.top << "-" << r.right << ","
                    << r.bottom << " outside " << client.right << "x" << client.bottom;
                EXPECT_EQ("", ClippedText(c)) << where;
            }
            DestroyWindow(dialog);
        }
    }
    DeleteObject(bold);
}

TEST(DialogDpi, EveryTextFitsAt144Dpi) {
    // Wine takes the screen's DPI from "LogPixels" when a process starts: the layout test runs
    // again in a child process started with it set to 144, and the value is put back.
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                                             KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &desktop, nullptr));
    DWORD before = 0, size = sizeof(before);
    bool had = RegQueryValueExA(desktop, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&before), &size) ==
               ERROR_SUCCESS;
    DWORD dpi = 144;
    RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    std::string output =
        uninstall_tests::RunTestInChild("KVO_EXPECT_DPI=144", "DialogTest.EveryTextFitsAtTheScreenDpi");
    if (had)
        RegSetValueExA(desktop, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before), sizeof(before));
    else
        RegDeleteValueA(desktop, "LogPixels");
    RegCloseKey(desktop);
    EXPECT_NE(std::string::npos, output.find("[  PASSED  ] 1 test")) << output;
    EXPECT_NE(std::string::npos, output.find("exit=0")) << output;
}

// Presses F1 on a control of a modeless dialog as the user does, through the system's input
// queue, and runs the dialog's message loop until help was asked for or half a second passed.
void PressF1(HWND dialog, HWND control) {
    SetForegroundWindow(dialog);
    SetFocus(control);
    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_F1;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    int before = g_help.count;
    DWORD end = GetTickCount() + 500;
    while (g_help.count == before && GetTickCount() < end) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        Sleep(5);
    }
}

TEST_F(DialogTest, HelpForF1AndTheHelpButton) {
    HWND viewer = OpenHelpViewer();
    ASSERT_NE(nullptr, viewer);

    struct { const char* name; int context; } dialogs[] = {
        {"SETUPDLG", SetupHelpContext}, {"CONTEXTITEMS", ContextItemsHelpContext}};
    for (auto& d : dialogs) {
        HWND dialog = OpenDialog(d.name, d.context);
        ASSERT_NE(nullptr, dialog) << d.name;
        g_help = HelpRequest();
        PressF1(dialog, GetDlgItem(dialog, IDOK));
        EXPECT_EQ(1, g_help.count) << d.name;
        EXPECT_EQ(HELP_CONTEXT, g_help.command);
        EXPECT_EQ(d.context, g_help.context);
        EXPECT_EQ("krelvo.hlp", g_help.file);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_HELP_BUTTON)));
        EXPECT_EQ(2, g_help.count) << d.name;
        EXPECT_EQ(d.context, g_help.context);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        EXPECT_EQ(2, g_help.count) << "other buttons open no help";
        DestroyWindow(dialog);
    }
    HWND done = OpenDialog("DONEDLG", CompletionHelpContext);
    ASSERT_NE(nullptr, done);
    g_help = HelpRequest();
    PressF1(done, GetDlgItem(done, IDOK));
    HELPINFO info = {sizeof(HELPINFO), HELPINFO_WINDOW, IDOK, GetDlgItem(done, IDOK), 0, {0, 0}};
    SendMessageA(done, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(0, g_help.count);
    DestroyWindow(done);
    DestroyWindow(viewer);
}

}  // namespace
