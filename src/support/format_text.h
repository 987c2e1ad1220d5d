// Fills a message that names one text, for messages that a language file may translate: the
// message is data, so it is never handed to printf as a format.
#pragma once

// Copies format into destination (capacity bytes, always terminated, cut to fit), with its
// first "%s" replaced by text and each "%%" by "%". Any other "%" is copied as it stands.
void FormatWithText(char* destination, int capacity, const char* format, const char* text);
