// The setup choices on the setup dialog's check boxes.
#include "setup/setup_options_dialog.h"

#include "resources/resource.h"

// The six boxes after the archive kinds, in the order of their fields.
static void FlagFields(SetupOptions& options, unsigned char* (&fields)[6]) {
    fields[0] = &options.Desktop;
    fields[1] = &options.StartMenu;
    fields[2] = &options.Programs;
    fields[3] = &options.ShellExt;
    fields[4] = &options.CascadedMenu;
    fields[5] = &options.MenuIcons;
}

void SetupOptionsFromDialog(HWND dialog, SetupOptions& options) {
    for (int index = 0; index < ArchiveKindCount; index++)
        options.Associate[index] = IsDlgButtonChecked(dialog, IDC_KIND_FIRST + index) != 0;
    unsigned char* fields[6];
    FlagFields(options, fields);
    for (int i = 0; i < 6; i++)
        *fields[i] = IsDlgButtonChecked(dialog, IDC_DESKTOP + i) != 0;
}

void SetupOptionsToDialog(HWND dialog, const SetupOptions& options) {
    for (int index = 0; index < ArchiveKindCount; index++)
        CheckDlgButton(dialog, IDC_KIND_FIRST + index, options.Associate[index]);
    SetupOptions copy = options;
    unsigned char* fields[6];
    FlagFields(copy, fields);
    for (int i = 0; i < 6; i++)
        CheckDlgButton(dialog, IDC_DESKTOP + i, *fields[i]);
    // The two menu boxes are usable only with shell integration; their states are kept.
    EnableDlgItem(dialog, IDC_CASCADED_MENU, options.ShellExt != 0);
    EnableDlgItem(dialog, IDC_MENU_ICONS, options.ShellExt != 0);
}

void CheckAllArchiveKinds(HWND dialog) {
    for (int id = IDC_KIND_FIRST; id <= IDC_KIND_LAST; id++)
        CheckDlgButton(dialog, id, BST_CHECKED);
}

void EnableDlgItem(HWND dialog, int id, bool enable) {
    EnableWindow(GetDlgItem(dialog, id), enable);
}
