// Loading a maximal language section (64 KiB, about 2,000 entries) and looking up every key.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "lang/message_text.h"

namespace {

struct MaximalFile {
    std::string path;
    std::vector<std::string> texts;

    MaximalFile() {
        std::string body = "***messages***\r\n";
        for (int i = 0;; i++) {
            std::string text = "Built-in text " + std::to_string(i);
            char key[9];
            MakeLookupKey(key, '$', "SETUPDLG", text.c_str());
            std::string line = std::string(key) + "=\"Translated " + std::to_string(i) + "\"\r\n";
            if (body.size() + line.size() > 65536)
                break;
            body += line;
            texts.push_back(text);
        }
        path = "/tmp/kvo-bench-" + std::to_string(getpid()) + ".lng";
        FILE* f = fopen(path.c_str(), "wb");
        fwrite(body.data(), 1, body.size(), f);
        fclose(f);
    }
    ~MaximalFile() { unlink(path.c_str()); }
};

MaximalFile& File64k() {
    static MaximalFile file;
    return file;
}

void LoadMaximalSection(benchmark::State& state) {
    MaximalFile& file = File64k();
    LanguageResources language;
    for (auto _ : state) {
        language.LoadFile(file.path.c_str());
        benchmark::DoNotOptimize(language.EntryLineCount());
    }
    state.counters["entries"] = language.EntryLineCount();
}
BENCHMARK(LoadMaximalSection);

void LookUpEveryKey(benchmark::State& state) {
    MaximalFile& file = File64k();
    LanguageResources language;
    language.LoadFile(file.path.c_str());
    char buffer[1024];
    for (auto _ : state) {
        for (const std::string& text : file.texts) {
            language.Translate(buffer, sizeof(buffer), text.c_str(), "SETUPDLG", '$');
            benchmark::DoNotOptimize(buffer);
        }
    }
    state.counters["lookups"] = static_cast<double>(file.texts.size());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(file.texts.size()));
}
BENCHMARK(LookUpEveryKey);

}  // namespace

BENCHMARK_MAIN();
