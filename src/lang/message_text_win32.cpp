#include <windows.h>

#include "lang/ext_resource.h"
#include "lang/language_resources.h"
#include "lang/message_text.h"

void LoadBuiltInMessage(int id, char* buffer, int capacity, bool programOnly) {
    buffer[0] = '\0';
    // The library's table first; a format message it spoils falls back like a missing one.
    if (!programOnly && LoadStringA(ResourceModule, id, buffer, capacity) > 0 &&
        (!IsFormatMessage(id) || IsSingleStringFormat(buffer)))
        return;
    buffer[0] = '\0';
    if (LoadStringA(ProgramInstance, id, buffer, capacity) <= 0)
        buffer[0] = '\0';
}
