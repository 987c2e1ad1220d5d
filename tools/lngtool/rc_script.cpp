// Reading the texts of a resource script: the string table and the caption and control texts of
// the dialogs, as the resource compiler would store them.
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "lngtool.h"

namespace {

enum TokenType { Word, String, Comma };

struct Token {
    TokenType type;
    std::string text;
};

struct Script {
    std::vector<Token> tokens;
    std::map<std::string, std::string> defines;
    int depth = 0;
    ScriptFileReader readFile;
};

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes->append(chunk, got);
    fclose(f);
    return true;
}

// The folder part of a path, with its separator. Windows takes backslashes (and the colon of a
// drive) as separators too; elsewhere a backslash is part of a file name.
std::string FolderOf(const std::string& path) {
#ifdef _WIN32
    size_t slash = path.find_last_of("/\\:");
#else
    size_t slash = path.find_last_of('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string LineError(const std::string& path, int line, const char* message) {
    return path + ":" + std::to_string(line) + ": " + message;
}

void AppendUtf8(std::string* out, unsigned long c) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (c >> 6)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (c >> 12)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (c >> 18)));
        out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

const char nulMessage[] =
    "NUL byte: a resource script is read as UTF-8, or as UTF-16LE when it begins with its byte order mark";

// A script's bytes as UTF-8 text: UTF-16LE after its byte order mark (as Visual Studio saves
// scripts), otherwise UTF-8 with or without its mark. The text then holds no NUL, which the
// tokenizer relies on; a NUL, a cut UTF-16 unit or a lone surrogate is an error with its line.
bool DecodeScript(const std::string& raw, const std::string& path, std::string* text, std::string* error) {
    text->clear();
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF && static_cast<unsigned char>(raw[1]) == 0xFE) {
        int line = 1;
        size_t i = 2;
        while (i < raw.size()) {
            if (i + 1 >= raw.size()) {
                *error = LineError(path, line, "UTF-16LE script ends in the middle of a character");
                return false;
            }
            unsigned long c = static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1]) << 8;
            i += 2;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < raw.size()) {
                unsigned long low = static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1]) << 8;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            if (c >= 0xD800 && c <= 0xDFFF) {
                *error = LineError(path, line, "UTF-16LE script holds a lone surrogate");
                return false;
            }
            if (c == 0) {
                *error = LineError(path, line, nulMessage);
                return false;
            }
            line += c == '\n';
            AppendUtf8(text, c);
        }
        return true;
    }
    size_t start = raw.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    size_t nul = raw.find('\0', start);
    if (nul != std::string::npos) {
        int line = 1 + static_cast<int>(std::count(raw.begin(), raw.begin() + static_cast<long>(nul), '\n'));
        *error = LineError(path, line, nulMessage);
        return false;
    }
    text->assign(raw, start, std::string::npos);
    return true;
}

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// A string literal from its opening quote; the resource compiler's escapes: "" for a quote,
// \n \r \t \a \\ \" and octal or hexadecimal codes.
size_t ReadLiteral(const std::string& s, size_t i, std::string* out) {
    i++;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            if (i + 1 < s.size() && s[i + 1] == '"') {
                out->push_back('"');
                i += 2;
                continue;
            }
            return i + 1;
        }
        if (c == '\\' && i + 1 < s.size()) {
            char e = s[i + 1];
            i += 2;
            switch (e) {
            case 'n': out->push_back('\n'); break;
            case 'r': out->push_back('\r'); break;
            case 't': out->push_back('\t'); break;
            case 'a': out->push_back('\b'); break;
            case '\\': out->push_back('\\'); break;
            case '"': out->push_back('"'); break;
            case 'x': {
                int v = 0, n = 0;
                while (n < 4 && i < s.size() && isxdigit(static_cast<unsigned char>(s[i]))) {
                    v = v * 16 + (isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0' : (s[i] | 0x20) - 'a' + 10);
                    i++;
                    n++;
                }
                out->push_back(static_cast<char>(v));
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    int v = e - '0', n = 1;
                    while (n < 3 && i < s.size() && s[i] >= '0' && s[i] <= '7') {
                        v = v * 8 + (s[i] - '0');
                        i++;
                        n++;
                    }
                    out->push_back(static_cast<char>(v));
                } else {
                    out->push_back('\\');
                    out->push_back(e);
                }
            }
            continue;
        }
        out->push_back(c);
        i++;
    }
    return i;
}

bool Tokenize(Script* script, const std::string& path, bool optional, std::string* error);

// A preprocessor line: #include of another script or of a header (for its #defines), #define.
void Directive(Script* script, const std::string& line, const std::string& folder, std::string* error) {
    char word[32] = {};
    const char* p = line.c_str() + 1;
    while (*p == ' ' || *p == '\t')
        p++;
    sscanf(p, "%31s", word);
    p += strlen(word);
    while (*p == ' ' || *p == '\t')
        p++;
    if (strcmp(word, "include") == 0 && *p == '"') {
        const char* end = strchr(p + 1, '"');
        if (!end)
            return;
        std::string name(p + 1, end);
        // System headers (<...>) are not read, nor headers found only on the resource
        // compiler's include path: their names stay unresolved. Scripts must be found.
        Tokenize(script, folder + name, EndsWith(name, ".h"), error);
    } else if (strcmp(word, "define") == 0) {
        char name[128] = {}, value[128] = {};
        if (sscanf(p, "%127s %127s", name, value) == 2)
            script->defines[name] = value;
    }
}

// Appends the tokens of the script at path, and of what it includes. An optional file (a
// header) that cannot be read is passed over.
bool Tokenize(Script* script, const std::string& path, bool optional, std::string* error) {
    std::string raw, s;
    if (!script->readFile(path, &raw)) {
        if (optional)
            return true;
        *error = "cannot read " + path;
        return false;
    }
    if (!DecodeScript(raw, path, &s, error))
        return false;
    if (++script->depth > 16) {
        *error = "#include nested too deeply at " + path;
        return false;
    }
    bool header = EndsWith(path, ".h");
    std::string folder = FolderOf(path);
    bool lineStart = true;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\n') {
            lineStart = true;
            i++;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r') {
            i++;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n')
                i++;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? s.size() : end + 2;
            continue;
        }
        if (c == '#' && lineStart) {
            size_t end = s.find('\n', i);
            if (end == std::string::npos)
                end = s.size();
            Directive(script, s.substr(i, end - i), folder, error);
            if (!error->empty())
                return false;
            i = end;
            continue;
        }
        lineStart = false;
        if (header) {  // headers contribute #defines only
            i++;
            continue;
        }
        if (c == '"') {
            Token t{String, std::string()};
            i = ReadLiteral(s, i, &t.text);
            script->tokens.push_back(t);
        } else if (c == ',') {
            script->tokens.push_back(Token{Comma, ","});
            i++;
        } else {
            size_t start = i;
            // memchr, not strchr: strchr finds a NUL byte (its terminator), and no word would
            // ever advance past it.
            static const char stops[6] = {' ', '\t', '\r', '\n', ',', '"'};
            while (i < s.size() && !memchr(stops, s[i], sizeof(stops)))
                i++;
            script->tokens.push_back(Token{Word, s.substr(start, i - start)});
        }
    }
    script->depth--;
    return true;
}

bool IsWord(const Token& t, const char* word) { return t.type == Word && t.text == word; }
bool IsBegin(const Token& t) { return IsWord(t, "BEGIN") || IsWord(t, "{"); }
bool IsEnd(const Token& t) { return IsWord(t, "END") || IsWord(t, "}"); }

std::string Resolve(const Script& script, const std::string& id) {
    std::string value = id;
    for (int n = 0; n < 8; n++) {
        auto found = script.defines.find(value);
        if (found == script.defines.end())
            break;
        value = found->second;
    }
    return value;
}

// Control statements whose first argument is a text.
bool HasText(const std::string& keyword) {
    static const char* const withText[] = {
        "LTEXT", "RTEXT", "CTEXT", "PUSHBUTTON", "DEFPUSHBUTTON", "PUSHBOX", "GROUPBOX",
        "CHECKBOX", "AUTOCHECKBOX", "STATE3", "AUTO3STATE", "RADIOBUTTON", "AUTORADIOBUTTON",
        "ICON", "CONTROL"};
    for (const char* k : withText) {
        if (keyword == k)
            return true;
    }
    return false;
}

bool IsControlKeyword(const std::string& keyword) {
    return HasText(keyword) || keyword == "EDITTEXT" || keyword == "COMBOBOX" ||
           keyword == "LISTBOX" || keyword == "SCROLLBAR";
}

}  // namespace

bool IsTranslatedDialog(const std::string& name) {
    return name == "SETUPDLG" || name == "CONTEXTITEMS" || name == "DONEDLG";
}

bool ReadResourceScript(const char* path, std::vector<TextItem>* items, std::string* error,
                        ScriptFileReader readFile) {
    Script script;
    script.readFile = readFile ? readFile : ReadWholeFile;
    error->clear();
    if (!Tokenize(&script, path, false, error))
        return false;
    const std::vector<Token>& t = script.tokens;
    std::vector<std::string> dialogs;
    size_t i = 0;
    while (i < t.size()) {
        if (IsWord(t[i], "STRINGTABLE")) {
            while (i < t.size() && !IsBegin(t[i]))
                i++;
            i++;
            while (i < t.size() && !IsEnd(t[i])) {
                if (t[i].type == Word && i + 1 < t.size()) {
                    size_t s = i + 1;
                    if (t[s].type == Comma)
                        s++;
                    if (s < t.size() && t[s].type == String) {
                        items->push_back(TextItem{'s', "", "string " + Resolve(script, t[i].text), t[s].text});
                        i = s;
                    }
                }
                i++;
            }
            i++;
            continue;
        }
        if (t[i].type == Word && i + 1 < t.size() &&
            (IsWord(t[i + 1], "DIALOG") || IsWord(t[i + 1], "DIALOGEX"))) {
            std::string name = t[i].text;
            bool wanted = IsTranslatedDialog(name);
            i += 2;
            std::string caption;
            while (i < t.size() && !IsBegin(t[i])) {
                if (IsWord(t[i], "CAPTION") && i + 1 < t.size() && t[i + 1].type == String)
                    caption = t[++i].text;
                i++;
            }
            i++;
            if (wanted) {
                dialogs.push_back(name);
                items->push_back(TextItem{'$', name, "caption", caption});
            }
            int position = 0;
            while (i < t.size() && !IsEnd(t[i])) {
                bool statement = t[i].type == Word && IsControlKeyword(t[i].text) &&
                                 (i == 0 || t[i - 1].type != Comma);
                if (!statement) {
                    i++;
                    continue;
                }
                std::string text;
                size_t a = i + 1;
                if (HasText(t[i].text) && a < t.size() && t[a].type == String) {
                    text = t[a].text;
                    a++;
                }
                if (a < t.size() && t[a].type == Comma)
                    a++;
                std::string id = a < t.size() ? Resolve(script, t[a].text) : "";
                position++;
                // Controls with empty texts keep them: the program looks nothing up for them.
                if (wanted && !text.empty())
                    items->push_back(TextItem{'$', name, "control " + std::to_string(position) + " (" + id + ")", text});
                i = a;
            }
            i++;
            continue;
        }
        i++;
    }
    for (const std::string& name : dialogs)
        items->push_back(TextItem{'$', name, "scale", ""});
    items->push_back(TextItem{'$', "LTR", "direction", "LTR"});
    return true;
}
