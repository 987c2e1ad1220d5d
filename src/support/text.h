// Double-byte aware helpers on narrow text in the system's ANSI code page.
// Paths are zero-terminated buffers owned by the caller; no helper allocates or checks sizes.
// Pure logic: no Win32 calls here, so the host build tests it with a table of its own.
#pragma once

// One flag per byte value (1 when it starts a double-byte character in the ANSI code page),
// then at [256] the flag that tells whether the code page is multi-byte at all.
// Filled once during static initialisation (FillLeadByteTable), read-only afterwards.
extern unsigned char LeadByteTable[257];

inline bool IsLeadByte(unsigned char c) { return LeadByteTable[c] != 0; }
inline bool IsMultiByteCodePage() { return LeadByteTable[256] != 0; }

// The next character: two bytes on for a lead byte, else one. Never steps past the terminator,
// also when a lone lead byte stands right before it.
const char* NextCharPos(const char* p);
inline char* NextCharPos(char* p) { return const_cast<char*>(NextCharPos(static_cast<const char*>(p))); }

// Where the name part of a path begins (after the last backslash or slash, or after "X:").
const char* FileNamePart(const char* path);
inline char* FileNamePart(char* path) { return const_cast<char*>(FileNamePart(static_cast<const char*>(path))); }

// The first byte of the text's last character; the start when the text is empty.
const char* LastCharPos(const char* text);
inline char* LastCharPos(char* text) { return const_cast<char*>(LastCharPos(static_cast<const char*>(text))); }

// Appends a backslash unless the path is empty or already ends in one. The buffer needs room
// for one more character.
char* AppendBackslash(char* path);

// Cuts trailing carriage returns, line feeds, blanks and tabs (byte-wise).
char* TrimTrailingWhitespace(char* text);
