// libFuzzer target: lngtool's resource-script reader on arbitrary scripts, as UTF-8 and as
// UTF-16LE. The first byte chooses the form of the rest: 0 its bytes as they are, 1 the same
// after a UTF-16LE byte order mark, 2 each byte widened to a UTF-16LE unit after the mark (so
// that scripts written in ASCII reach the tokenizer in both encodings). Every file is served from
// memory: the script is "self.rc" (and may #include itself, so that nesting runs to its limit),
// headers get a few #defines, other scripts a small dialog. The reader must finish and stay
// within its buffers (the sanitizers watch).
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "lngtool.h"

static std::string g_script;

static bool ServeFile(const std::string& path, std::string* bytes) {
    if (path.size() >= 2 && path.compare(path.size() - 2, 2, ".h") == 0) {
        if (path.find("missing") != std::string::npos)
            return false;
        *bytes = "#define IDOK 1\n#define IDC_A 5120\n#define IDC_B IDC_A\n";
        return true;
    }
    if (path.find("self.rc") != std::string::npos)
        *bytes = g_script;
    else
        *bytes = "CONTEXTITEMS DIALOG 0, 0, 1, 1\nCAPTION \"c\"\nBEGIN\n  LTEXT \"t\", IDOK, 1, 1, 1, 1\nEND\n";
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const char* rest = reinterpret_cast<const char*>(data + 1);
    switch (data[0] % 3) {
    case 0:
        g_script.assign(rest, size - 1);
        break;
    case 1:
        g_script.assign("\xFF\xFE");
        g_script.append(rest, size - 1);
        break;
    default:
        g_script.assign("\xFF\xFE");
        for (size_t i = 0; i < size - 1; i++) {
            g_script.push_back(rest[i]);
            g_script.push_back('\0');
        }
    }
    std::vector<TextItem> items;
    std::string error;
    bool read = ReadResourceScript("fuzz/self.rc", &items, &error, ServeFile);
    // A script that reads gives at least the direction entry; one that does not says why.
    if (read ? items.empty() : error.empty())
        abort();
    return 0;
}
