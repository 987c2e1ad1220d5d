// Texts and figures of the values that the entry in the list of removable programs carries
// beside its command and name. Pure logic, tested on the host.
#pragma once

enum {
    VersionTextSize = 24,     // "65535.65535.65535.65535"
    DateTextSize = 9,         // YYYYMMDD
    StringInfoPathSize = 64,  // \StringFileInfo\XXXXXXXX\ and a short value name
};

// The version as the list shows it, from the two words of a file version (major and minor in
// high, build and revision in low): "major.minor.build", with ".revision" when it is not 0.
void FormatVersion(char* text, unsigned high, unsigned low);

// YYYYMMDD, the form the list reads its install date in.
void FormatDate(char* text, unsigned year, unsigned month, unsigned day);

// The path of a version resource's text for one translation: language in the low word, code
// page in the high word (as \VarFileInfo\Translation holds them), e.g.
// \StringFileInfo\040904B0\CompanyName. name takes at most 30 characters.
void FormatStringInfoPath(char* path, unsigned translation, const char* name);

// Whole kilobytes for a number of bytes, a started one counting whole; at most 0xFFFFFFFF.
unsigned KilobytesRoundedUp(unsigned long long bytes);
