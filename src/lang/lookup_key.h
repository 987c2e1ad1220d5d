// Lookup keys of the language file: the CRC-32 of kind, context and built-in text, written as
// 8 lower-case hexadecimal digits.
#pragma once
#include <stddef.h>
#include <stdint.h>

// Standard CRC-32 (reflected polynomial 0xEDB88320, initial value and final complement), continued
// from a previous result: Crc32(b, nb, Crc32(a, na, 0)) is the checksum of a followed by b.
uint32_t Crc32(const void* bytes, size_t size, uint32_t previous);

// The key of a kind ('s' or '$'), an optional context (null for none) and a built-in text:
// 8 digits and a terminator.
void MakeLookupKey(char key[9], char kind, const char* context, const char* text);

// Compares the first 8 bytes of two lines as unsigned bytes, stopping early where both hold a
// NUL: negative, 0 or positive.
int CompareKeyBytes(const char* a, const char* b);
