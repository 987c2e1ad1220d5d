// The language file uninstall.lng: loaded once at start-up, then looked up by checksum keys.
#pragma once

class LanguageResources {
public:
    // Finds and loads the file beside the program, then decides the text direction.
    void Load(const char* fileName);
    bool IsLoaded() const { return text != nullptr; }
    bool IsRightToLeft() const { return rightToLeft; }

    // Writes the text to show for a built-in text into destination (capacity bytes, always
    // terminated). kind is 's' for string-table messages, '$' for dialog texts; context is the
    // dialog template name, "LTR" for the direction entry, or null. Source and destination may
    // be the same buffer.
    void Translate(char* destination, int capacity, const char* source, const char* context,
                   char kind) const;

private:
    char* text = nullptr;
    int length = 0;
    bool rightToLeft = false;
};

extern LanguageResources g_language;
