// Text rules of the registry layer, without Win32: where a caller's path lands, how a value
// read into a caller's buffer is made a terminated text, and how the run's log shows a value.
#pragma once
#include <stddef.h>

enum {
    RegPathSize = 256,          // a full key path
    RegPathLimit = RegPathSize - 20,  // the longest path a caller may give (236 characters)
    // A key name met while walking a tree: 255 characters at most, which on a double-byte
    // code page take up to 510 bytes.
    RegKeyNameSize = 511,
};

// Concatenates up to four texts into buffer; false (buffer left empty) when they do not fit.
bool ConcatText(char* buffer, size_t bufferSize, const char* first, const char* second,
                const char* third = "", const char* fourth = "");

// The full key path for a caller's path. With currentUser (the root HKEY_CURRENT_USER) the path
// lies below "Software\Krelvo", unless it begins with a backslash, which makes it relative to
// HKEY_CURRENT_USER itself. False when the path is longer than bufferSize less 20 characters.
bool BuildRegPath(bool currentUser, const char* path, char* buffer, size_t bufferSize);

// After a value of readSize bytes was read into a buffer of bufferSize bytes: makes it a
// terminated text inside the buffer. False when it cannot be (the bytes fill the whole buffer
// without a zero at the end), so the caller takes its default.
bool TerminateReadText(char* buffer, unsigned long readSize, unsigned long bufferSize);

// Copies a default text, cut to fit the buffer; a zero-sized buffer is left alone.
void CopyDefaultText(char* buffer, const char* text, size_t bufferSize);

enum { RegValueTextSize = 160 };  // a value as the run's log shows it

// A value as the run's log shows it, into text (RegValueTextSize bytes, terminated): a string
// quoted, up to its first zero, control characters as "?" so that a change stays one line, cut
// with "..." where it does not fit; a 4-byte number as 0x... with its decimal; anything else as
// its type and its first bytes in hex. count is the value's size, of which bytes holds held;
// a value larger than what was read shows only its type and size.
void DescribeRegValue(char* text, unsigned long type, const unsigned char* bytes,
                      unsigned long count, unsigned long held);
