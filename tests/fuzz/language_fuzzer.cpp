// libFuzzer target: the language file reader and its lookups on arbitrary files. The first
// byte chooses whether the messages marker is put in front of the rest, so that most inputs
// reach decoding and indexing; the lookups use texts whose entries the seed corpus carries,
// and a few taken from the input. Every result lands in a heap block of exactly its capacity.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "lang/language_resources.h"

static int g_fd = -1;
static char g_path[64];

static void Check(const LanguageResources& language, const char* source, const char* context,
                  char kind) {
    static const int capacities[] = {1, 9, 256, 1024};
    for (int capacity : capacities) {
        char* out = static_cast<char*>(malloc(static_cast<size_t>(capacity)));
        language.Translate(out, capacity, source, context, kind);
        if (strlen(out) >= static_cast<size_t>(capacity))
            abort();
        // In place, as messages and window texts are translated.
        size_t n = strlen(source);
        if (n < static_cast<size_t>(capacity)) {
            memcpy(out, source, n + 1);
            language.Translate(out, capacity, out, context, kind);
            if (strlen(out) >= static_cast<size_t>(capacity))
                abort();
        }
        free(out);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (g_fd < 0) {
        g_fd = memfd_create("language", 0);
        snprintf(g_path, sizeof(g_path), "/proc/self/fd/%d", g_fd);
    }
    if (size < 1)
        return 0;
    static const char marker[] = "***messages***\n";
    ftruncate(g_fd, 0);
    size_t offset = 0;
    if (data[0] & 1) {
        pwrite(g_fd, marker, sizeof(marker) - 1, 0);
        offset = sizeof(marker) - 1;
    }
    pwrite(g_fd, data + 1, size - 1, static_cast<off_t>(offset));

    LanguageResources language;
    language.LoadFile(g_path);
    language.DecideDirection(false);

    static const char* const texts[] = {"", "LTR", "Hello", "a", "b", "x", "Done",
                                        "Delete %s manually"};
    static const char* const contexts[] = {nullptr, "LTR", "SETUPDLG", "DONEDLG"};
    for (const char* text : texts) {
        for (const char* context : contexts) {
            Check(language, text, context, 's');
            Check(language, text, context, '$');
        }
    }
    int sx, sy;
    for (const char* context : contexts) {
        if (context)
            language.DialogScale(context, &sx, &sy);
    }
    // A few texts from the input itself: its first lines, up to 64 bytes each.
    char text[65];
    size_t at = 1;
    for (int line = 0; line < 4 && at < size; line++) {
        size_t n = 0;
        while (at < size && n < 64 && data[at] != '\n' && data[at] != 0)
            text[n++] = static_cast<char>(data[at++]);
        text[n] = '\0';
        at++;
        Check(language, text, nullptr, 's');
        IsSingleStringFormat(text);
    }
    return 0;
}
