#include "shell/associations.h"

#include <string.h>

const char* const AssociationList[ArchiveKindCount] = {
    ".kvo", ".zip", ".cab", ".arj", ".lzh.lha", ".ace",
    ".tar", ".gz.tgz", ".uue.xxe.uu", ".bz2.tbz2.bz.tbz", ".jar", ".iso",
};

const char* NextExtension(const char* rest, char* out, size_t outSize) {
    const char* end = rest;
    if (*end)
        end++;  // the extension's own dot
    while (*end && *end != '.')
        end++;
    size_t used = 0;
    for (const char* p = rest; p < end && used + 1 < outSize; p++)
        out[used++] = *p;
    if (outSize)
        out[used] = '\0';
    return end;
}

// Filled at run time, the first bytes 4B ('K') and 50 ('P') last. Zero until then, so that they
// take no room in the program file.
unsigned char KvoTemplate[KvoTemplateSize];
unsigned char ZipTemplate[ZipTemplateSize];

void PlaceTemplateSignatures() {
    static const unsigned char kvoRest[] = {0x76, 0x6F, 0x21, 0x1A, 0x07, 0x00, 0xCF, 0x90, 0x73, 0x00, 0x00, 0x0D};
    memcpy(KvoTemplate + 1, kvoRest, sizeof(kvoRest));
    ZipTemplate[1] = 0x4B;
    ZipTemplate[2] = 0x05;
    ZipTemplate[3] = 0x06;
    // Volatile: the compiler would otherwise merge the first byte with the others into one
    // immediate, and the program's code would hold the whole signature.
    *static_cast<volatile unsigned char*>(KvoTemplate) = 0x4B;
    *static_cast<volatile unsigned char*>(ZipTemplate) = 0x50;
}

bool UsesTemplateFile(unsigned long majorVersion, unsigned long minorVersion) {
    return majorVersion > 4 || minorVersion > 10;
}

int AssociatedVolumeCount(bool ntFamily) { return ntFamily ? 30 : 100; }

void VolumeExtension(int number, char* out) {
    out[0] = '.';
    out[1] = 'r';
    out[2] = static_cast<char>('0' + number / 10 % 10);
    out[3] = static_cast<char>('0' + number % 10);
    out[4] = '\0';
}
