// The Win32 side of the language file: where it is found, the direction resource, and the
// translation, scaling and mirroring of live dialogs.
#include <windows.h>
#include <string.h>

#include "lang/ext_resource.h"
#include "lang/language_resources.h"
#include "support/system.h"
#include "support/text.h"

void LanguageResources::Load(const char* fileName) {
    Unload();
    char path[1024];
    if (strchr(fileName, '\\')) {
        LoadFile(fileName);
    } else {
        char* slash = nullptr;
        if (GetProgramPath(path)) {
            // By character: a trail byte 0x5C of a double-byte character is no folder divider.
            for (char* p = path; *p; p = IsMultiByteCodePage() ? NextCharPos(p) : p + 1) {
                if (*p == '\\')
                    slash = p;
            }
        }
        size_t nameSize = strlen(fileName) + 1;
        if (slash && static_cast<size_t>(slash + 1 - path) + nameSize <= sizeof(path)) {
            memcpy(slash + 1, fileName, nameSize);
            LoadFile(path);
        }
    }
    DecideDirection(FindResourceA(ResourceModule, "RTL", RT_DIALOG) != nullptr);
}

void LanguageResources::ApplyDirection(HWND window) const {
    if (rightToLeft)
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
}

enum { MaxTranslatedControls = 512 };

void LanguageResources::TranslateDialog(HWND dialog, const char* templateName) const {
    int sx, sy;
    bool scaled = DialogScale(templateName, &sx, &sy);

    // Frame and caption sizes, each plus one, as the dialogs have always been laid out.
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    int dx = window.right - window.left + 1 - client.right;
    int dy = window.bottom - window.top + 1 - client.bottom;
    if (scaled) {
        SetWindowPos(dialog, nullptr, 0, 0, ClampCoordinate(ScaleLength(client.right, sx) + dx),
                     ClampCoordinate(ScaleLength(client.bottom, sy) + dy),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
    }

    char text[1024];
    text[0] = '\0';
    GetWindowTextA(dialog, text, sizeof(text));
    Translate(text, sizeof(text), text, templateName, '$');
    SetWindowTextA(dialog, text);

    dy -= GetSystemMetrics(SM_CYDLGFRAME);

    HWND first = GetWindow(dialog, GW_CHILD);
    HWND control = first;
    for (int n = 0; control && n < MaxTranslatedControls; n++) {
        text[0] = '\0';
        if (GetWindowTextA(control, text, sizeof(text)) > 0 && text[0]) {
            Translate(text, sizeof(text), text, templateName, '$');
            SetWindowTextA(control, text);
        }
        if (scaled) {
            RECT r;
            GetWindowRect(control, &r);
            // The horizontal position is taken in the dialog's own client coordinates, the ones
            // SetWindowPos is given: in a mirrored dialog they run from its right edge, which the
            // resize above has moved, and the mapping of the two corners keeps left below right.
            // Unmirrored, this is the screen offset less half the frame, as before.
            RECT mapped = r;
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&mapped), 2);
            long long x = ScaleLength(mapped.left, sx);
            long long y = ScaleLength(r.top - window.top - dy, sy);
            long long width = ScaleLength(r.right - r.left + 1, sx);
            long long height = ScaleLength(r.bottom - r.top + 1, sy);
            char className[1024];
            className[0] = '\0';
            GetClassNameA(control, className, sizeof(className));
            // A drop-down combo box takes its list's height from its window height.
            if (CompareIgnoreCase(className, "COMBOBOX") == 0 &&
                (GetWindowLongA(control, GWL_STYLE) & 3) != CBS_SIMPLE) {
                RECT list = {0, 0, 0, 0};
                SendMessageA(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&list));
                height += ScaleLength(list.bottom - list.top + 1, sy);
            }
            SetWindowPos(control, nullptr, ClampCoordinate(x), ClampCoordinate(y),
                         ClampCoordinate(width), ClampCoordinate(height),
                         SWP_NOZORDER | SWP_NOOWNERZORDER);
        }
        control = GetWindow(control, GW_HWNDNEXT);
        if (control == first)
            break;
    }
}
