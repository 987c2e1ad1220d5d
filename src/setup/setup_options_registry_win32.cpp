// The setup choices as saved below the product settings key.
#include <windows.h>

#include "registry/reg_text.h"
#include "registry/registry.h"
#include "setup/setup_options.h"
#include "shell/shell.h"

enum { IsoIndex = 11, SavedKindCount = 11 };  // ".iso" is decided afresh on every run

static void KindPath(int index, char* path, size_t pathSize) {
    ConcatText(path, pathSize, "Setup\\", ArchiveKindExtensions[index]);
}

void LoadSetupOptions(SetupOptions& options) {
    for (int index = 0; index < ArchiveKindCount; index++) {
        char path[32];
        KindPath(index, path, sizeof(path));
        options.Associate[index] = ReadSettingDword(path, "Set", 1) != 0;
    }
    // Another program's class on ".iso" turns the kind off; nothing turns it on here.
    if (!IsOwnClass(".iso")) {
        char className[80];
        ReadRegString(HKEY_CLASSES_ROOT, ".iso", "", className, "", sizeof(className));
        if (className[0])
            options.Associate[IsoIndex] = 0;
    }
    options.Desktop = ReadSettingDword("Setup\\Links", "Desktop", 0) != 0;
    options.StartMenu = ReadSettingDword("Setup\\Links", "StartMenu", 0) != 0;
    options.Programs = ReadSettingDword("Setup\\Links", "Programs", 1) != 0;
    options.ShellExt = ReadSettingDword("Setup", "ShellExt", 1) != 0;
    options.CascadedMenu = ReadSettingDword("Setup", "CascadedMenu", 0) != 0;
    options.MenuIcons = ReadSettingDword("Setup", "MenuIcons", 1) != 0;
}

void SaveSetupOptions(const SetupOptions& options) {
    for (int index = 0; index < SavedKindCount; index++) {
        char path[32];
        KindPath(index, path, sizeof(path));
        WriteSettingDword(path, "Set", options.Associate[index] ? 1 : 0);
    }
    WriteSettingDword("Setup\\Links", "Desktop", options.Desktop ? 1 : 0);
    WriteSettingDword("Setup\\Links", "StartMenu", options.StartMenu ? 1 : 0);
    WriteSettingDword("Setup\\Links", "Programs", options.Programs ? 1 : 0);
    WriteSettingDword("Setup", "ShellExt", options.ShellExt ? 1 : 0);
    WriteSettingDword("Setup", "CascadedMenu", options.CascadedMenu ? 1 : 0);
    WriteSettingDword("Setup", "MenuIcons", options.MenuIcons ? 1 : 0);
}
