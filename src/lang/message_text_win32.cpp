#include <windows.h>

#include "lang/ext_resource.h"
#include "lang/message_text.h"

int LoadTableString(int id, char* buffer, int capacity, bool fromResourceModule) {
    return LoadStringA(fromResourceModule ? ResourceModule : ProgramInstance,
                       static_cast<UINT>(id), buffer, capacity);
}
