// The language file uninstall.lng: its messages section, decoded and indexed once at start-up,
// then looked up by checksum keys. Pure logic except Load, TranslateDialog and ApplyDirection
// (language_resources_win32.cpp); windows are passed as their handle type without windows.h.
#pragma once

#include "lang/array.h"

struct HWND__;

enum {
    SectionReadSize = 65536,     // bytes used from the file, counted from the marker
    SectionSlack = 1024,         // allocated behind them
    MarkerChunkSize = 8192,      // the marker search reads chunks of this size,
    MarkerChunkOverlap = 16,     // overlapping by this much,
    MarkerChunkLimit = 16,       // and this many at most
    LineSeparator = 0x0C,        // form feed: line ends are rewritten to it when decoding
    ScaleLimit = 100000,         // scale percentages are clamped to +-ScaleLimit
    CoordinateLimit = 32767      // scaled positions and sizes are held in 16-bit window coordinates
};

class LanguageResources {
public:
    ~LanguageResources() { Unload(); }

    // Start-up: finds the file beside the program (a name without a backslash) or at the given
    // path, loads it, then decides the text direction from the resource module and the file.
    void Load(const char* fileName);

    // Loads the file at path: finds the messages marker, reads the section from it, decodes
    // and indexes it. Without a file or marker the object stays unloaded.
    void LoadFile(const char* path);
    // Right-to-left when the resource module carries the "RTL" dialog resource, or when the
    // file's direction entry reads exactly "RTL".
    void DecideDirection(bool rightToLeftResource);
    // Back to the state before loading: no text, no index, left-to-right.
    void Unload();

    bool IsLoaded() const { return text != nullptr; }
    bool IsRightToLeft() const { return rightToLeft; }
    int EntryLineCount() const { return index.count; }
    // The decoded section and the offset in it of the i-th indexed line, in key order (for the
    // language-file checker).
    const char* SectionText() const { return text; }
    int EntryLineOffset(int i) const { return index.data[i]; }

    // Writes the text to show for a built-in text into destination (capacity bytes, always
    // terminated, cut to fit). kind is 's' for string-table messages, '$' for dialog texts;
    // context is the dialog template name, "LTR" for the direction entry, or null. Source and
    // destination may be the same buffer.
    void Translate(char* destination, int capacity, const char* source, const char* context,
                   char kind) const;

    // The scale entry of a dialog: horizontal and vertical percentages (100 and 100 without an
    // entry or without an asterisk in it); true when the dialog is to be resized.
    bool DialogScale(const char* templateName, int* horizontal, int* vertical) const;

    // Replaces the caption and control texts of a dialog from the file and scales it.
    void TranslateDialog(HWND__* dialog, const char* templateName) const;
    // Mirrors a window (WS_EX_LAYOUTRTL) when the language is right-to-left.
    void ApplyDirection(HWND__* window) const;

private:
    void DecodeAndIndex();
    const char* FindEntry(const char* key) const;

    char* text = nullptr;   // decoded section, NUL-terminated; null when no file is loaded
    int length = 0;         // bytes in text without the terminator
    Array<int> index;       // offsets of the lines that may hold entries, sorted by their keys
    bool rightToLeft = false;
};

// Decodes a section in place: escapes replaced, line ends rewritten to LineSeparator, a NUL
// ending it. Returns the decoded length. origins, when given (size + 1 entries), receives for
// every decoded byte the offset of the byte it came from.
int DecodeLanguageSection(char* section, int size, int* origins);

// Reads a decimal number as strtol does in base 10 (white space, sign, digits; no digits give 0),
// clamped to +-ScaleLimit.
int ParseScaleNumber(const char* text);

// A length or position multiplied by a scale percentage and divided by 100, truncating toward
// zero, as if the product were taken in 64 bits: no pixel value times ScaleLimit overflows it.
long long ScaleLength(int value, int percent);
// A scaled value brought into -CoordinateLimit - 1 .. CoordinateLimit, the coordinates that
// SetWindowPos keeps (16 bits on Windows 95/98/Me; Wine holds positions to them as well).
int ClampCoordinate(long long value);

// Whether a message text is safe as a printf format with one string argument: exactly one "%s"
// and no other conversion ("%%" allowed).
bool IsSingleStringFormat(const char* text);

extern LanguageResources g_language;
