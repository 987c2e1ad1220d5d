// The record of the setup choices: one-byte flags, each 0 (off) or 1 (on). An all-zero record
// asks every apply operation to take its registrations back.
#pragma once

enum { ArchiveKindCount = 12 };

struct SetupOptions {
    unsigned char Associate[ArchiveKindCount];  // .kvo .zip .cab .arj .lzh .ace .tar .gz .uue .bz2 .jar .iso
    unsigned char Desktop;
    unsigned char StartMenu;
    unsigned char Programs;
    unsigned char ShellExt;
    unsigned char CascadedMenu;
    unsigned char MenuIcons;
};
