// lngtool keys | template | check FILE, with --cp N (default 950), --rc SCRIPT (default: the
// program's own resource script), --library SCRIPT (dialogs of a language library), and for
// template --texts SCRIPT and -o FILE.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lngtool.h"

#ifndef KVO_RESOURCE_SCRIPT
#define KVO_RESOURCE_SCRIPT "src/resources/uninstall.rc"
#endif

static int Usage() {
    fputs("usage: lngtool keys [--cp N] [--rc SCRIPT] [--library SCRIPT]\n"
          "       lngtool template [--cp N] [--rc SCRIPT] [--library SCRIPT] [--texts SCRIPT] [-o FILE]\n"
          "       lngtool check [--cp N] [--rc SCRIPT] [--library SCRIPT] FILE\n"
          "Texts come from SCRIPT (default " KVO_RESOURCE_SCRIPT "), keys are made in code page N\n"
          "(default 950). --library: the file is used with a language library made from SCRIPT,\n"
          "whose dialog texts the program then translates (messages stay the program's own).\n"
          "--texts takes the entries' texts from a translated copy of the script.\n",
          stderr);
    return 2;
}

// The texts of a script; with a library script, its dialog texts replace the script's (the
// program loads dialogs from the library but messages from its own table when a file is used).
static bool LoadTexts(const char* script, const char* library, const CodePage& codePage,
                      std::vector<KeyedText>* texts) {
    std::vector<TextItem> items;
    std::string error;
    if (!ReadResourceScript(script, &items, &error)) {
        fprintf(stderr, "lngtool: %s\n", error.c_str());
        return false;
    }
    if (library) {
        std::vector<TextItem> libraryItems;
        if (!ReadResourceScript(library, &libraryItems, &error)) {
            fprintf(stderr, "lngtool: %s\n", error.c_str());
            return false;
        }
        std::vector<TextItem> merged;
        for (const TextItem& item : items) {
            if (item.kind == 's')
                merged.push_back(item);
        }
        for (const TextItem& item : libraryItems) {
            if (item.kind == '$')
                merged.push_back(item);
        }
        items = merged;
    }
    std::string warnings;
    *texts = MakeKeyedTexts(items, codePage, &warnings);
    fputs(warnings.c_str(), stderr);
    return true;
}

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const char* command = argv[1];
    const char* script = KVO_RESOURCE_SCRIPT;
    const char* textsScript = nullptr;
    const char* library = nullptr;
    const char* output = nullptr;
    const char* file = nullptr;
    int number = 950;
    for (int i = 2; i < argc; i++) {
        const char* a = argv[i];
        bool hasValue = i + 1 < argc;
        if (!strcmp(a, "--cp") && hasValue)
            number = atoi(argv[++i]);
        else if (!strcmp(a, "--rc") && hasValue)
            script = argv[++i];
        else if (!strcmp(a, "--library") && hasValue)
            library = argv[++i];
        else if (!strcmp(a, "--texts") && hasValue)
            textsScript = argv[++i];
        else if (!strcmp(a, "-o") && hasValue)
            output = argv[++i];
        else if (a[0] != '-' && !file)
            file = a;
        else
            return Usage();
    }

    CodePage codePage;
    std::string error;
    if (!OpenCodePage(number, &codePage, &error)) {
        fprintf(stderr, "lngtool: %s\n", error.c_str());
        return 2;
    }
    std::vector<KeyedText> texts;
    if (!LoadTexts(script, library, codePage, &texts))
        return 2;

    if (!strcmp(command, "keys") && !file) {
        fputs(KeysListing(texts).c_str(), stdout);
        return 0;
    }
    if (!strcmp(command, "template") && !file) {
        std::vector<KeyedText> translations;
        if (textsScript && !LoadTexts(textsScript, nullptr, codePage, &translations))
            return 2;
        std::string content = MakeTemplate(texts, textsScript ? &translations : nullptr, codePage);
        FILE* f = output ? fopen(output, "wb") : stdout;
        if (!f || fwrite(content.data(), 1, content.size(), f) != content.size()) {
            fprintf(stderr, "lngtool: cannot write %s\n", output ? output : "the output");
            return 2;
        }
        if (output && fclose(f) != 0)
            return 2;
        return 0;
    }
    if (!strcmp(command, "check") && file) {
        std::string report;
        int result = CheckLanguageFile(file, texts, codePage, &report);
        fputs(report.c_str(), result == CheckUnreadable ? stderr : stdout);
        return result;
    }
    return Usage();
}
