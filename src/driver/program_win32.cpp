#include <stdio.h>

#include "driver/program.h"
#include "lang/message_text.h"

bool SilentSetup;
char ProgramGroupPath[1024];
HICON ProgramIcon;
HFONT BoldFont;

void ShowManualDeletionWarning() {
    char programPath[1024];
    DWORD n = GetModuleFileNameA(nullptr, programPath, sizeof(programPath));
    programPath[n < sizeof(programPath) ? n : sizeof(programPath) - 1] = '\0';

    // 5105, a line break, then 5106 with the program path; cut to the buffer, never overrun.
    char text[512];
    int used = snprintf(text, sizeof(text), "%s\n", MessageText(5105));
    if (used < 0)
        used = 0;
    if (used < static_cast<int>(sizeof(text)))
        snprintf(text + used, sizeof(text) - used, MessageText(5106), programPath);
    MessageBoxA(nullptr, text, MessageText(5104), MB_ICONINFORMATION | MB_SETFOREGROUND);
}
