#include "driver/removal_script.h"

#include <string.h>

#include "support/text.h"

namespace {
struct ScriptText {
    char* text;
    int capacity;
    int length;
    bool overflow;
};
}  // namespace

static void AppendByte(ScriptText& script, char c) {
    if (script.length >= script.capacity) {
        script.overflow = true;
        return;
    }
    script.text[script.length++] = c;
}

static void Append(ScriptText& script, const char* text) {
    for (; *text; text++)
        AppendByte(script, *text);
}

// A path as the batch interpreter must read it: "%%" stands for one "%". Steps by character,
// so a double-byte character is copied whole.
static void AppendPath(ScriptText& script, const char* path) {
    for (const char* p = path; *p;) {
        const char* next = NextCharPos(p);
        if (*p == '%')
            AppendByte(script, '%');
        for (; p < next; p++)
            AppendByte(script, *p);
    }
}

int ComposeRemovalScript(char* script, int capacity, bool ntFamily, bool silent, const char* programPath,
                         const char* folder, const char* scriptPath) {
    ScriptText out = {script, capacity, 0, false};
    // The interpreter waits for the program (ending) before anything is deleted. The older
    // systems' interpreter returns at once from a windowed program unless told by "start /wait".
    Append(out, ntFamily ? "\"" : "start /wait \"");
    AppendPath(out, programPath);
    Append(out, "\" /wait\r\n");
    for (int attempt = 0; attempt < 5; attempt++) {
        Append(out, "del \"");
        AppendPath(out, programPath);
        Append(out, "\"\r\nrd \"");
        AppendPath(out, folder);
        Append(out, "\"\r\nif not exist \"");
        AppendPath(out, programPath);
        Append(out, "\" goto done\r\n");
    }
    Append(out, ":done\r\nif exist \"");
    AppendPath(out, programPath);
    Append(out, "\" \"");
    AppendPath(out, programPath);
    Append(out, silent ? "\" /s /warning\r\ndel \"" : "\" /warning\r\ndel \"");
    AppendPath(out, scriptPath);
    Append(out, "\"");  // the last line has no line break
    if (out.overflow)
        return -1;
    if (out.length < capacity)
        script[out.length] = '\0';
    return out.length;
}

bool ComposeInterpreterCommand(char* commandLine, int capacity, bool ntFamily, const char* comspec,
                               const char* scriptPath, const char* scriptFolder) {
    ScriptText out = {commandLine, capacity, 0, false};
    Append(out, comspec);
    Append(out, ntFamily ? " /c \"\"" : " /c \"");
    Append(out, scriptPath);
    // Parsed before the script runs, and run once it has ended and its file is closed.
    if (scriptFolder) {
        Append(out, "\" & rd \"");
        Append(out, scriptFolder);
    }
    Append(out, ntFamily ? "\"\"" : "\"");
    AppendByte(out, '\0');
    return !out.overflow;
}
