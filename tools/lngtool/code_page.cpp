// ANSI code pages through iconv: conversion of the built-in texts and the lead-byte table.
#include <errno.h>
#include <iconv.h>
#include <string.h>

#include "lngtool.h"

static std::string IconvName(int number) { return "CP" + std::to_string(number); }

bool OpenCodePage(int number, CodePage* codePage, std::string* error) {
    iconv_t cd = iconv_open("UTF-8", IconvName(number).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        *error = "code page " + std::to_string(number) + " is unknown to iconv";
        return false;
    }
    codePage->number = number;
    codePage->multiByte = false;
    // The lead-byte ranges that Windows reports (GetCPInfo) for its double-byte code pages:
    // iconv leaves out the user-defined rows, whose lead bytes still take a trail byte.
    static const struct { int number; unsigned char ranges[6]; } windowsLeads[] = {
        {932, {0x81, 0x9F, 0xE0, 0xFC, 0, 0}}, {936, {0x81, 0xFE, 0, 0, 0, 0}},
        {949, {0x81, 0xFE, 0, 0, 0, 0}},       {950, {0x81, 0xFE, 0, 0, 0, 0}},
        {1361, {0x84, 0xD3, 0xD8, 0xDE, 0xE0, 0xF9}}};
    for (const auto& w : windowsLeads) {
        if (w.number != number)
            continue;
        for (int r = 0; r < 6 && w.ranges[r]; r += 2) {
            for (int b = w.ranges[r]; b <= w.ranges[r + 1]; b++)
                codePage->lead[b] = 1;
        }
        codePage->multiByte = true;
        iconv_close(cd);
        return true;
    }
    // Otherwise a byte that iconv calls an incomplete sequence on its own leads a character.
    for (int b = 0; b < 256; b++) {
        char in[1] = {static_cast<char>(b)};
        char out[8];
        char* inp = in;
        char* outp = out;
        size_t inLeft = 1, outLeft = sizeof(out);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        bool lead = iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) && errno == EINVAL;
        codePage->lead[b] = lead;
        codePage->multiByte |= lead;
    }
    iconv_close(cd);
    return true;
}

// A character whose conversion Windows surely makes '?' where the code page lacks it: a CJK
// ideograph, for a single-byte code page (Windows' best-fit tables of those give look-alikes for
// Latin letters, punctuation and fullwidth forms, never for ideographs).
static bool SurelyDefaulted(const unsigned char* utf8, size_t n, bool multiByte) {
    if (multiByte || n != 3)
        return false;
    unsigned c = (utf8[0] & 0x0Fu) << 12 | (utf8[1] & 0x3Fu) << 6 | (utf8[2] & 0x3Fu);
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF);
}

// Converts character by character so that one the target lacks becomes one replacement byte.
// lead: the source code page's lead bytes, or null for UTF-8 input; target: the code page
// converted to (null when converting to UTF-8), which decides how certain a replacement is.
static Conversion Convert(const char* to, const char* from, const std::string& input, std::string* output,
                          const unsigned char* lead, const CodePage* target) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return ConvertedUncertain;
    Conversion result = ConvertedExactly;
    size_t i = 0;
    while (i < input.size()) {
        // One character: a UTF-8 sequence, or one or two bytes of the code page.
        size_t n = 1;
        unsigned char c = static_cast<unsigned char>(input[i]);
        if (!lead)
            n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        else if (lead[c])
            n = 2;
        if (i + n > input.size())
            n = input.size() - i;
        char in[4];
        memcpy(in, input.data() + i, n);
        char out[16];
        char* inp = in;
        char* outp = out;
        size_t inLeft = n, outLeft = sizeof(out);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft) {
            output->push_back('?');
            bool surely = target && SurelyDefaulted(reinterpret_cast<const unsigned char*>(input.data() + i), n,
                                                    target->multiByte);
            if (!surely)
                result = ConvertedUncertain;
            else if (result == ConvertedExactly)
                result = ConvertedWithDefaults;
        } else {
            output->append(out, outp);
        }
        i += n;
    }
    iconv_close(cd);
    return result;
}

Conversion ToCodePage(const CodePage& codePage, const std::string& utf8, std::string* bytes) {
    return Convert(IconvName(codePage.number).c_str(), "UTF-8", utf8, bytes, nullptr, &codePage);
}

std::string FromCodePage(const CodePage& codePage, const std::string& bytes) {
    std::string utf8;
    Convert("UTF-8", IconvName(codePage.number).c_str(), bytes, &utf8, codePage.lead, nullptr);
    return utf8;
}
