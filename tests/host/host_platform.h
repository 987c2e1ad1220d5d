// Host stand-ins for the program's string tables (see host_platform.cpp).
#pragma once

struct HostStringTable {
    int count;
    int ids[16];
    const char* texts[16];
};

extern HostStringTable g_programTable;
extern HostStringTable g_libraryTable;
extern bool g_libraryLoaded;
