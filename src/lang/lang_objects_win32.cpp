// The two program-wide language objects, in one unit so that their order is fixed: the
// library holder is built first and destroyed last, after the language store.
#include "lang/ext_resource.h"
#include "lang/language_resources.h"

ExtResource g_extResource;
LanguageResources g_language;
