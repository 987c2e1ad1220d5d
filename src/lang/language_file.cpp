// Reading the language file: the marker search, the one read of the section, in-place decoding
// and the sorted index of line offsets.
#include <stdlib.h>
#include <string.h>

#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "support/file.h"

// Under AddressSanitizer (host tests and fuzzing) the unused tail of the section buffer is
// poisoned, so that any read past the decoded text is reported.
#if defined(__SANITIZE_ADDRESS__)
#define KVO_POISON_SECTION 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KVO_POISON_SECTION 1
#endif
#endif
#ifdef KVO_POISON_SECTION
#include <sanitizer/asan_interface.h>
#endif

// Recognised by its first 13 bytes; the third closing asterisk is not examined.
static const char messagesMarker[] = "***messages**";
static const int markerLength = sizeof(messagesMarker) - 1;

// The file position of the marker, or -1. Chunks overlap so that a marker across a chunk
// boundary is found whole in the next chunk.
static long long FindMarker(File& file) {
    char chunk[MarkerChunkSize];
    for (int n = 0; n < MarkerChunkLimit; n++) {
        long long chunkPosition = file.Tell();
        int got = file.Read(chunk, sizeof(chunk));
        if (got < MarkerChunkOverlap)
            return -1;
        for (int i = 0; i <= got - MarkerChunkOverlap; i++) {
            if (memcmp(chunk + i, messagesMarker, markerLength) == 0)
                return chunkPosition + i;
        }
        file.Seek(chunkPosition + got - MarkerChunkOverlap);
    }
    return -1;
}

void LanguageResources::Unload() {
#ifdef KVO_POISON_SECTION
    if (text)
        ASAN_UNPOISON_MEMORY_REGION(text, SectionReadSize + SectionSlack);
#endif
    free(text);
    text = nullptr;
    length = 0;
    index.Clear();
    rightToLeft = false;
}

void LanguageResources::LoadFile(const char* path) {
    Unload();
    File file;
    if (!file.Open(path))
        return;
    long long marker = FindMarker(file);
    if (marker < 0)
        return;
    char* section = static_cast<char*>(malloc(SectionReadSize + SectionSlack));
    if (!section)
        return;
    section[SectionReadSize] = '\0';
    file.Seek(marker);
    int got = file.Read(section, SectionReadSize);
    // A failed read still counts as a loaded file, one without entries.
    if (got < 0)
        got = 0;
    if (got > SectionReadSize)
        got = SectionReadSize;
    text = section;
    length = got;
    DecodeAndIndex();
    file.Close();
}

int DecodeLanguageSection(char* section, int size, int* origins) {
    // Escapes are replaced byte by byte, without regard to double-byte characters: translators'
    // files rely on a backslash trail byte starting an escape.
    int w = 0;
    for (int j = 0; j < size; j++) {
        char c = section[j];
        if (c == '\0')
            break;
        if (origins)
            origins[w] = j;
        if (c == '\\' && j + 1 < size) {
            char replacement = 0;
            switch (section[j + 1]) {
            case '"': replacement = '"'; break;
            case '\\': replacement = '\\'; break;
            case 'n': replacement = '\n'; break;
            case 'r': replacement = '\r'; break;
            case 't': replacement = '\t'; break;
            }
            if (replacement) {
                section[w++] = replacement;
                j++;
                continue;
            }
        }
        section[w++] = (c == '\r' || c == '\n') ? static_cast<char>(LineSeparator) : c;
    }
    section[w] = '\0';
    return w;
}

// Moves the line at lines[root] down the heap lines[0..end) until neither child's key is larger.
static void SiftDown(int* lines, int root, int end, const char* text) {
    for (int child; (child = 2 * root + 1) < end; root = child) {
        if (child + 1 < end && CompareKeyBytes(text + lines[child], text + lines[child + 1]) < 0)
            child++;
        if (CompareKeyBytes(text + lines[root], text + lines[child]) >= 0)
            return;
        int line = lines[root];
        lines[root] = lines[child];
        lines[child] = line;
    }
}

// Orders the line offsets by their lines' keys: a heap sort, in place and in n log n steps
// whatever the file holds. The standard library's sort would take almost 1 KB of the program.
static void SortByKey(int* lines, int count, const char* text) {
    for (int root = count / 2 - 1; root >= 0; root--)
        SiftDown(lines, root, count, text);
    for (int end = count - 1; end > 0; end--) {
        int line = lines[0];
        lines[0] = lines[end];
        lines[end] = line;
        SiftDown(lines, 0, end, text);
    }
}

void LanguageResources::DecodeAndIndex() {
    length = DecodeLanguageSection(text, length, nullptr);
#ifdef KVO_POISON_SECTION
    ASAN_POISON_MEMORY_REGION(text + length + 1, SectionReadSize + SectionSlack - length - 1);
#endif

    // Lines start after a separator; the marker line and lines in the last 8 bytes never count.
    for (int k = 1; k <= length - 9; k++) {
        if (text[k - 1] == LineSeparator && text[k] != LineSeparator)
            index.Add(k);
    }
    SortByKey(index.data, index.count, text);
}

void LanguageResources::DecideDirection(bool rightToLeftResource) {
    if (rightToLeftResource) {
        rightToLeft = true;
        return;
    }
    char direction[1024];
    Translate(direction, sizeof(direction), "LTR", "LTR", '$');
    rightToLeft = strcmp(direction, "RTL") == 0;
}
