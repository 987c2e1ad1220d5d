#include "lang/language_resources.h"

void LanguageResources::Load(const char*) {
    // Without a language file every text stays built-in.
}
