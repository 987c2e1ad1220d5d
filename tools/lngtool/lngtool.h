// lngtool: keys, templates and checks of language files for the uninstaller, computed from the
// one resource script the program is built from and the program's own language-file reader.
#pragma once
#include <string>
#include <vector>

// A text the program can translate, as the resource script states it (UTF-8).
struct TextItem {
    char kind = 's';         // 's' string table, '$' dialogs, scale and direction
    std::string context;     // dialog template name, "LTR", or empty for messages
    std::string what;        // "string 5104", "caption", "control 3 (5101)", "scale", "direction"
    std::string text;        // built-in text, UTF-8
};

// The dialogs whose texts the program translates; others (such as the "RTL" marker) are skipped.
bool IsTranslatedDialog(const std::string& name);

// Reads a whole file into bytes; false when it cannot be opened.
typedef bool (*ScriptFileReader)(const std::string& path, std::string* bytes);

// Reads the string table and the three dialogs of a resource script (UTF-8, or UTF-16LE with its
// byte order mark; following its #include of other scripts, next to the including one, and of
// headers for #define'd ids). Appends scale entries of each dialog and the direction entry.
// False with a message when the script cannot be read or holds a NUL ("path:line: ...").
// readFile (default: the file system) supplies the bytes of the script and of what it includes.
bool ReadResourceScript(const char* path, std::vector<TextItem>* items, std::string* error,
                        ScriptFileReader readFile = nullptr);

// An ANSI code page through iconv: which bytes lead double-byte characters.
struct CodePage {
    int number = 950;
    unsigned char lead[256] = {};
    bool multiByte = false;
};
bool OpenCodePage(int number, CodePage* codePage, std::string* error);
// How a text came into a code page.
enum Conversion {
    ConvertedExactly,      // every character is in the code page
    ConvertedWithDefaults, // characters it lacks became '?', as Windows makes them
    ConvertedUncertain     // characters it lacks became '?', where Windows may put look-alikes
};
// UTF-8 to the code page; characters it lacks become '?'. Windows converts some of those by best
// fit (fullwidth "，" becomes ","), and only the Windows build knows which: natively, such a
// character gives ConvertedUncertain unless it is an ideograph in a single-byte code page,
// which has no look-alike for it.
Conversion ToCodePage(const CodePage& codePage, const std::string& utf8, std::string* bytes);
// The code page to UTF-8, for reports; undecodable bytes become '?'.
std::string FromCodePage(const CodePage& codePage, const std::string& bytes);

// A text with its bytes in the code page and its lookup key. keyKnown is false where the bytes
// may differ from what the program sees (ConvertedUncertain): the key is then not claimed.
struct KeyedText {
    TextItem item;
    std::string bytes;
    char key[9];
    bool keyKnown;
};
// Keys of every item; a warning for each text the code page cannot represent. Items with the
// same key (a text repeated in one dialog) are listed once.
std::vector<KeyedText> MakeKeyedTexts(const std::vector<TextItem>& items, const CodePage& codePage,
                                      std::string* warnings);

// One line per text: key ("--------" where it is not known), kind, context, what, text (UTF-8,
// escaped as in a language file).
std::string KeysListing(const std::vector<KeyedText>& texts);

// A complete language file in the code page: heading, marker, and for every text a comment with
// the built-in text and its entry. translations (may be null) gives the entry texts for items
// with the same kind, context and what; others carry the built-in text.
std::string MakeTemplate(const std::vector<KeyedText>& texts,
                         const std::vector<KeyedText>* translations, const CodePage& codePage);

// Writes text as a language file writes it: backslashes (also trail bytes of double-byte
// characters), line feeds, carriage returns and tabs escaped.
std::string EscapeEntryText(const std::string& bytes);

enum { CheckClean = 0, CheckFindings = 1, CheckUnreadable = 2 };

// Reads the file as the program does and reports its faults, one "path:line: message" line
// each, into report. Returns CheckClean, CheckFindings or CheckUnreadable.
int CheckLanguageFile(const char* path, const std::vector<KeyedText>& texts,
                      const CodePage& codePage, std::string* report);
