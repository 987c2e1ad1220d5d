#include "lang/message_text.h"

#include <windows.h>

#include "lang/ext_resource.h"
#include "lang/language_resources.h"

static char messageRing[8][256];
static int ringPosition;

const char* MessageText(int id) {
    ringPosition = (ringPosition + 1) & 7;
    char* buffer = messageRing[ringPosition];
    buffer[0] = '\0';
    if (g_language.IsLoaded()) {
        LoadStringA(ProgramInstance, id, buffer, sizeof(messageRing[0]));
    } else if (LoadStringA(ResourceModule, id, buffer, sizeof(messageRing[0])) <= 0) {
        LoadStringA(ProgramInstance, id, buffer, sizeof(messageRing[0]));
    }
    g_language.Translate(buffer, sizeof(messageRing[0]), buffer, nullptr, 's');
    return buffer;
}
