// Checking a language file: the program's own reader loads it, and every indexed line is judged
// by what the program would make of it. Line numbers are those of an editor.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "lang/language_resources.h"
#include "lang/lookup_key.h"
#include "lngtool.h"
#include "support/text.h"

namespace {

// The 13 bytes by which the program recognises the marker, and how far it searches.
const char markerBytes[] = "***messages**";
const size_t markerLimit = (MarkerChunkLimit - 1) * (MarkerChunkSize - MarkerChunkOverlap) +
                           MarkerChunkSize - MarkerChunkOverlap;  // 130,816
const size_t rawLimit = 16 << 20;  // a file larger than this is only read this far

struct Finding {
    int line;
    std::string message;
};

struct Checker {
    std::string raw;
    std::vector<size_t> lineStarts;  // file offsets where lines begin
    std::vector<Finding> findings;

    int LineOf(size_t offset) const {
        return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) -
                                lineStarts.begin());
    }
    void Add(size_t offset, const std::string& message) { findings.push_back(Finding{LineOf(offset), message}); }
};

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsEscapeLetter(char c) { return c == '"' || c == '\\' || c == 'n' || c == 'r' || c == 't'; }

// Eight hexadecimal digits, then blanks and an equals sign: what a translator means as an entry.
bool LooksLikeEntry(const char* p, const char* end, bool* upper, bool* blankBeforeEquals) {
    if (end - p < 9)
        return false;
    *upper = false;
    for (int i = 0; i < 8; i++) {
        if (!IsHex(p[i]))
            return false;
        *upper |= p[i] >= 'A' && p[i] <= 'F';
    }
    const char* q = p + 8;
    while (q < end && IsBlank(*q))
        q++;
    *blankBeforeEquals = q > p + 8;
    return q < end && *q == '=';
}

void SplitLines(Checker* c) {
    c->lineStarts.push_back(0);
    const std::string& r = c->raw;
    for (size_t i = 0; i < r.size(); i++) {
        if (r[i] == '\r' && i + 1 < r.size() && r[i + 1] == '\n')
            i++;
        if (r[i] == '\r' || r[i] == '\n' || r[i] == LineSeparator)
            c->lineStarts.push_back(i + 1);
    }
}

// A scale text the way a translator means it: width*height, each 1 to 1000 percent.
bool IsSoundScale(const char* text) {
    int width = 0, height = 0;
    char rest = 0;
    if (sscanf(text, " %d *%d %c", &width, &height, &rest) != 2 || strchr(text, '-'))
        return false;
    return width >= 1 && width <= 1000 && height >= 1 && height <= 1000;
}

// Double-byte characters whose second byte is a backslash and that are followed by a byte that
// makes an escape of it: the reader then replaces both bytes.
void CheckTrailBackslashes(Checker* c, const CodePage& codePage, size_t begin, size_t end) {
    const std::string& r = c->raw;
    size_t i = begin;
    while (i < end) {
        unsigned char b = static_cast<unsigned char>(r[i]);
        if (b == '\\' && i + 1 < end && IsEscapeLetter(r[i + 1])) {
            i += 2;  // an escape the reader makes, as written
            continue;
        }
        if (codePage.lead[b] && i + 1 < end) {
            if (r[i + 1] == '\\' && i + 2 < end && IsEscapeLetter(r[i + 2]) && r[i + 2] != '\\') {
                c->Add(i, std::string("a double-byte character ends in a backslash byte (0x5C), which with the "
                                      "following \"") + r[i + 2] + "\" makes an escape: write that byte twice");
            }
            // A doubled trail backslash is the escape that keeps it.
            i += (r[i + 1] == '\\' && i + 2 < end && r[i + 2] == '\\') ? 3 : 2;
            continue;
        }
        i++;
    }
}

// Entry-like lines that reach beyond the part of the file the program reads.
void CheckSectionEnd(Checker* c, size_t marker, size_t sectionEnd) {
    const std::string& r = c->raw;
    for (size_t n = 0; n < c->lineStarts.size(); n++) {
        size_t s = c->lineStarts[n];
        if (s <= marker)
            continue;
        size_t e = n + 1 < c->lineStarts.size() ? c->lineStarts[n + 1] : r.size();
        bool upper, blank;
        if (e <= sectionEnd || !LooksLikeEntry(r.data() + s, r.data() + e, &upper, &blank))
            continue;
        c->Add(s, s >= sectionEnd ? "entry past the first 65,536 bytes from the marker: the program never reads it"
                                  : "entry cut off at 65,536 bytes from the marker");
    }
}

}  // namespace

int CheckLanguageFile(const char* path, const std::vector<KeyedText>& texts,
                      const CodePage& codePage, std::string* report) {
    Checker c;
    FILE* f = fopen(path, "rb");
    if (!f) {
        *report += std::string(path) + ": cannot be read\n";
        return CheckUnreadable;
    }
    char chunk[8192];
    size_t got;
    while (c.raw.size() < rawLimit && (got = fread(chunk, 1, sizeof(chunk), f)) > 0)
        c.raw.append(chunk, got);
    bool failed = ferror(f) != 0;
    fclose(f);
    if (failed) {
        *report += std::string(path) + ": cannot be read\n";
        return CheckUnreadable;
    }
    SplitLines(&c);

    // Lengths and cuts follow the code page the file is meant for.
    unsigned char savedTable[257];
    memcpy(savedTable, LeadByteTable, sizeof(savedTable));
    memcpy(LeadByteTable, codePage.lead, 256);
    LeadByteTable[256] = codePage.multiByte;

    LanguageResources language;
    language.LoadFile(path);
    size_t marker = c.raw.find(markerBytes);
    if (!language.IsLoaded() || marker == std::string::npos) {
        if (marker == std::string::npos)
            c.Add(0, "no messages marker (***messages***): the program ignores the file");
        else if (marker > markerLimit)
            c.Add(marker, "the marker begins at byte " + std::to_string(marker) +
                              ", past 130,816: the program does not find it and ignores the file");
        else
            c.Add(0, "the file is too short to be read as a language file");
    } else {
        size_t sectionSize = std::min<size_t>(SectionReadSize, c.raw.size() - marker);
        std::string section = c.raw.substr(marker, sectionSize);
        std::vector<int> origins(sectionSize + 1, 0);
        DecodeLanguageSection(&section[0], static_cast<int>(sectionSize), origins.data());
        size_t nul = c.raw.find('\0', marker);
        if (nul < marker + sectionSize)
            c.Add(nul, "a NUL byte ends the section here: nothing after it is read");

        std::map<std::string, const KeyedText*> known;
        bool unknownKeys = false;
        for (const KeyedText& k : texts) {
            if (k.keyKnown)
                known[k.key] = &k;
            unknownKeys |= !k.keyKnown;
        }
        std::map<std::string, int> firstLine;
        // The index is in key order; lines are judged in file order, so that "first" is first.
        struct Line {
            size_t fileOffset;
            const char* start;
            const char* end;
        };
        std::vector<Line> lines;
        const char* text = language.SectionText();
        for (int i = 0; i < language.EntryLineCount(); i++) {
            int offset = language.EntryLineOffset(i);
            const char* end = text + offset;
            while (*end && *end != LineSeparator)
                end++;
            lines.push_back(Line{marker + static_cast<size_t>(origins[offset]), text + offset, end});
        }
        std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.fileOffset < b.fileOffset; });
        for (const Line& l : lines) {
            const char* line = l.start;
            const char* end = l.end;
            size_t fileOffset = l.fileOffset;
            const char* p = line;
            while (p < end && IsBlank(*p))
                p++;
            bool upper, blank;
            if (!LooksLikeEntry(p, end, &upper, &blank))
                continue;
            std::string key(p, 8);
            if (p > line) {
                c.Add(fileOffset, "blank before the key " + key + ": the line is never an entry");
                continue;
            }
            if (upper) {
                c.Add(fileOffset, "key " + key + " in upper-case hexadecimal never matches: keys are lower-case");
                continue;
            }
            if (blank) {
                c.Add(fileOffset, "blank between key " + key + " and \"=\": the text would begin at the wrong byte");
                continue;
            }
            int lineNumber = c.LineOf(fileOffset);
            auto seen = firstLine.find(key);
            if (seen != firstLine.end()) {
                c.Add(fileOffset, "key " + key + " repeated (first on line " + std::to_string(seen->second) +
                                      "): the program uses either one");
                continue;
            }
            firstLine[key] = lineNumber;
            auto found = known.find(key);
            if (found == known.end()) {
                c.Add(fileOffset, "key " + key + " matches no text of the program" +
                                      std::string(unknownKeys ? " whose key this tool knows in code page " +
                                                                    std::to_string(codePage.number) +
                                                                    " (lngtool.exe check knows them all)"
                                                              : ""));
                continue;
            }
            if (end - line < 11 || line[9] != '"' || !memchr(line + 10, '"', static_cast<size_t>(end - line - 10)))
                c.Add(fileOffset, "entry " + key + " is not written as key=\"text\"");
            const TextItem& item = found->second->item;
            const char* context = item.context.empty() ? nullptr : item.context.c_str();
            // What the program's own lookup makes of it, in the capacities the program uses.
            if (item.kind == 's' && IsSingleStringFormat(found->second->bytes.c_str())) {
                char translated[256];
                language.Translate(translated, sizeof(translated), found->second->bytes.c_str(), nullptr, 's');
                if (!IsSingleStringFormat(translated))
                    c.Add(fileOffset, "translation of " + item.what +
                                          " must hold exactly one %s and no other % conversion; the program refuses it");
            } else if (item.what == "string 5101") {
                // The uninstall entry's "DisplayName": Add/Remove Programs before Windows 2000
                // reads it into 64 bytes and leaves out the entry when it does not fit.
                char name[256];
                language.Translate(name, sizeof(name), found->second->bytes.c_str(), nullptr, 's');
                if (strlen(name) > 63)
                    c.Add(fileOffset, "translation of string 5101 is " + std::to_string(strlen(name)) +
                                          " bytes in code page " + std::to_string(codePage.number) +
                                          ": Windows 95, 98, Me and NT 4.0 list no uninstall entry whose "
                                          "name is over 63");
            } else if (item.what == "scale") {
                char scale[512];
                language.Translate(scale, sizeof(scale), "", context, '$');
                if (!IsSoundScale(scale))
                    c.Add(fileOffset, "scale entry of " + item.context + " \"" + FromCodePage(codePage, scale) +
                                          "\" does not read as width*height in percent (1 to 1000)");
            } else if (item.what == "direction") {
                char direction[1024];
                language.Translate(direction, sizeof(direction), "LTR", "LTR", '$');
                if (strcmp(direction, "RTL") != 0 && strcmp(direction, "LTR") != 0)
                    c.Add(fileOffset, "direction entry must read RTL or LTR");
            }
        }
        CheckTrailBackslashes(&c, codePage, marker, marker + sectionSize);
        CheckSectionEnd(&c, marker, marker + SectionReadSize);
    }
    memcpy(LeadByteTable, savedTable, sizeof(savedTable));

    std::stable_sort(c.findings.begin(), c.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& f : c.findings)
        *report += std::string(path) + ":" + std::to_string(f.line) + ": " + f.message + "\n";
    return c.findings.empty() ? CheckClean : CheckFindings;
}
