#include "setup/setup_options.h"

const char* const ArchiveKindExtensions[ArchiveKindCount] = {
    ".kvo", ".zip", ".cab", ".arj", ".lzh", ".ace", ".tar", ".gz", ".uue", ".bz2", ".jar", ".iso",
};
