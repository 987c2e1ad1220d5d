// Ids of the program's resources, shared by the resource script and the code.
#pragma once

// String table.
#define IDS_DISPLAY_NAME     5101
#define IDS_HELP_LINK        5102
#define IDS_MANUAL_LINK      5103
#define IDS_UNINSTALL_TITLE  5104
#define IDS_UNINSTALL_DONE   5105
#define IDS_DELETE_MANUALLY  5106
#define IDS_CONFIRM          5107
#define IDS_CANNOT_OPEN_LIST 5108
#define IDS_ARCHIVE_CLASS    5109
#define IDS_ZIP_CLASS        5110
#define IDS_RECOVERY_CLASS   5111
#define IDS_HOME_PAGE        5112
#define IDS_PROGRAM_IN_USE   5113
#define IDS_DELETED_AT_RESTART 5114
#define IDS_NEED_ADMIN       5115
#define IDS_NOT_ALL_RESTORED 5116
#define IDS_ALREADY_RUNNING  5117

// Controls shared by several dialogs.
#define IDC_HELP_BUTTON 9

// "SETUPDLG": archive kinds 5101..5112 in the order of the archive-kind table.
#define IDC_KIND_FIRST     5101
#define IDC_KIND_LAST      5112
#define IDC_DESKTOP        5113
#define IDC_START_MENU     5114
#define IDC_PROGRAMS       5115
#define IDC_SHELL_EXT      5116
#define IDC_CASCADED_MENU  5117
#define IDC_MENU_ICONS     5118
#define IDC_SELECT_ALL     5119
#define IDC_EXPLANATION    5120
#define IDC_CONTEXT_ITEMS  5121

// "CONTEXTITEMS": item i has check box 101 + i.
#define IDC_CONTEXT_ITEM_FIRST 101

// "DONEDLG".
#define IDC_INSTALL_FOLDER 5101
#define IDC_RUN_PROGRAM    5102
#define IDC_READ_HELP      5103
#define IDC_LICENSE        5104
#define IDC_ORDER          5105
#define IDC_HOME_PAGE      5106
#define IDC_THANKS         5107
