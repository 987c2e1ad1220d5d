// Uninstall mode. For now: the program folder becomes the current directory and the user is
// asked; the removal itself follows.
#include <string.h>

#include "driver/program.h"
#include "lang/message_text.h"
#include "support/text.h"

void UninstallProduct() {
    char programPath[1024];
    DWORD n = GetModuleFileNameA(nullptr, programPath, sizeof(programPath));
    programPath[n < sizeof(programPath) ? n : sizeof(programPath) - 1] = '\0';

    char folder[1024];
    memcpy(folder, programPath, sizeof(folder));
    char* name = FileNamePart(folder);
    if (name == folder || name[-1] != '\\')
        return;
    char* divider = name - 1;
    // A program in a drive's root keeps its backslash (C:\).
    if (divider != folder && divider[-1] == ':')
        divider[1] = '\0';
    else
        divider[0] = '\0';
    SetCurrentDirectoryA(folder);
    AppendBackslash(folder);

    if (MessageBoxA(nullptr, MessageText(5107), MessageText(5104),
                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
}
