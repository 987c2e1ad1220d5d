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

// The extension of each archive kind, in the order of Associate; "Setup\<extension>" holds the
// kind's saved choice "Set".
extern const char* const ArchiveKindExtensions[ArchiveKindCount];

// Fills every field from the saved choices below the product settings key, with the first-run
// defaults; ".iso" starts off while another program's class holds it.
void LoadSetupOptions(SetupOptions& options);
// Stores the record as saved choices (17 values; ".iso" is never saved).
void SaveSetupOptions(const SetupOptions& options);
