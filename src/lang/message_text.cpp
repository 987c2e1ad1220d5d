#include "lang/message_text.h"

#include <string.h>

#include "lang/language_resources.h"

enum { MessageRingSize = 8, MessageCapacity = 256 };

static char messageRing[MessageRingSize][MessageCapacity];
static int ringPosition;

bool IsFormatMessage(int id) { return id == 5106 || id == 5108 || id == 5113; }

void LoadBuiltInMessage(int id, char* buffer, int capacity, bool programOnly) {
    buffer[0] = '\0';
    // The library's table first; a format message it spoils falls back like a missing one.
    if (!programOnly && LoadTableString(id, buffer, capacity, true) > 0 &&
        (!IsFormatMessage(id) || IsSingleStringFormat(buffer)))
        return;
    buffer[0] = '\0';
    if (LoadTableString(id, buffer, capacity, false) <= 0)
        buffer[0] = '\0';
}

const char* MessageText(int id) {
    ringPosition = (ringPosition + 1) % MessageRingSize;
    char* buffer = messageRing[ringPosition];
    buffer[0] = '\0';
    // With a language file, messages start from the program's texts, the keys' source.
    LoadBuiltInMessage(id, buffer, MessageCapacity, g_language.IsLoaded());
    if (!IsFormatMessage(id)) {
        g_language.Translate(buffer, MessageCapacity, buffer, nullptr, 's');
        return buffer;
    }
    // A format string from the file is taken only when printf can use it safely with the one
    // string argument the program passes.
    char translated[MessageCapacity];
    g_language.Translate(translated, sizeof(translated), buffer, nullptr, 's');
    if (IsSingleStringFormat(translated))
        memcpy(buffer, translated, sizeof(translated));
    return buffer;
}
