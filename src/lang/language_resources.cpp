#include "lang/language_resources.h"

#include <string.h>

void LanguageResources::Translate(char* destination, int capacity, const char* source,
                                  const char*, char) const {
    if (capacity <= 0 || destination == source)
        return;
    size_t n = strlen(source);
    if (n > static_cast<size_t>(capacity - 1))
        n = static_cast<size_t>(capacity - 1);
    memmove(destination, source, n);
    destination[n] = '\0';
}
