// The key listing and the language file template.
#include <stdio.h>

#include "lang/lookup_key.h"
#include "lngtool.h"

std::vector<KeyedText> MakeKeyedTexts(const std::vector<TextItem>& items, const CodePage& codePage,
                                      std::string* warnings) {
    std::vector<KeyedText> texts;
    for (const TextItem& item : items) {
        KeyedText k;
        k.item = item;
        Conversion conversion = ToCodePage(codePage, item.text, &k.bytes);
        k.keyKnown = conversion != ConvertedUncertain;
        std::string cp = std::to_string(codePage.number);
        std::string where = (item.context.empty() ? "" : item.context + " ") + item.what;
        if (conversion == ConvertedWithDefaults)
            *warnings += "warning: code page " + cp + " lacks characters of " + where +
                         "; the program sees them as '?'\n";
        else if (conversion == ConvertedUncertain)
            *warnings += "warning: code page " + cp + " lacks characters of " + where +
                         ", which Windows may turn into look-alikes: this tool cannot compute the key and "
                         "gives none; lngtool.exe keys --cp " + cp +
                         " (the Windows build, which converts as the program does) gives the right one\n";
        MakeLookupKey(k.key, item.kind, item.context.empty() ? nullptr : item.context.c_str(),
                      k.bytes.c_str());
        bool repeated = false;
        for (const KeyedText& earlier : texts)
            repeated |= std::string(earlier.key) == k.key;
        if (!repeated)
            texts.push_back(k);
    }
    return texts;
}

std::string EscapeEntryText(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        switch (c) {
        // Every 0x5C byte is doubled, also the second byte of a double-byte character: the
        // program's reader replaces escapes without regard to characters.
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: out += c;
        }
    }
    return out;
}

std::string KeysListing(const std::vector<KeyedText>& texts) {
    std::string out;
    for (const KeyedText& k : texts) {
        char head[128];
        snprintf(head, sizeof(head), "%s %c %-12s %-20s ", k.keyKnown ? k.key : "--------", k.item.kind,
                 k.item.context.empty() ? "-" : k.item.context.c_str(), k.item.what.c_str());
        out += head + EscapeEntryText(k.item.text) + "\n";
    }
    return out;
}

static const KeyedText* Counterpart(const std::vector<KeyedText>* translations, const TextItem& item) {
    if (!translations)
        return nullptr;
    for (const KeyedText& t : *translations) {
        // Controls are matched by their place in the dialog; ids may be written as names.
        if (t.item.kind == item.kind && t.item.context == item.context &&
            t.item.what.substr(0, t.item.what.find(" (")) == item.what.substr(0, item.what.find(" (")))
            return &t;
    }
    return nullptr;
}

std::string MakeTemplate(const std::vector<KeyedText>& texts,
                         const std::vector<KeyedText>* translations, const CodePage& codePage) {
    std::string out;
    out += "Language file of the Krelvo uninstaller, code page " + std::to_string(codePage.number) +
           ", made by lngtool template.\r\n"
           "Translate the text between the double quotes of each entry; keep the key before it.\r\n"
           "Escapes: \\n line feed, \\r carriage return, \\t tab, \\\\ backslash.\r\n"
           "Scale entries: width*height in percent. Direction: RTL for a right-to-left language.\r\n"
           "\r\n***messages***\r\n";
    for (const KeyedText& k : texts) {
        std::string comment = "; " + (k.item.context.empty() ? "" : k.item.context + " ") + k.item.what;
        std::string entry = k.bytes;
        if (k.item.what == "scale") {
            entry = "100*100";
        } else {
            comment += ": " + EscapeEntryText(k.bytes);
        }
        if (!k.keyKnown) {
            // No entry under a key that may not be the program's.
            out += comment + "\r\n; no entry: the key depends on how Windows converts characters that code page " +
                   std::to_string(codePage.number) + " lacks; lngtool.exe template makes it\r\n";
            continue;
        }
        const KeyedText* t = Counterpart(translations, k.item);
        if (t && k.item.what != "scale" && k.item.what != "direction")
            entry = t->bytes;
        out += comment + "\r\n" + k.key + "=\"" + EscapeEntryText(entry) + "\"\r\n";
    }
    return out;
}
