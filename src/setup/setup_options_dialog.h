// The setup choices on the setup dialog's check boxes: 5101 + index for the archive kinds,
// 5113 to 5118 for Desktop, StartMenu, Programs, ShellExt, CascadedMenu, MenuIcons.
#pragma once
#include <windows.h>

#include "setup/setup_options.h"

void SetupOptionsFromDialog(HWND dialog, SetupOptions& options);
// Also enables the cascaded-menu and menu-icon boxes only while shell integration is on.
void SetupOptionsToDialog(HWND dialog, const SetupOptions& options);
void CheckAllArchiveKinds(HWND dialog);
void EnableDlgItem(HWND dialog, int id, bool enable);
