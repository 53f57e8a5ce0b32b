// Resource ids of Zorvane: dialogs, menus, icon, controls, commands and strings.
#pragma once

// Dialog templates, menus, icon
#define IDD_ABOUTBOX                100
#define IDD_MAIN                    102
#define IDR_CONTEXTMENU             103
#define IDR_MAINFRAME               128
#define IDR_MAINMENU                129
#define IDD_EXTENSION               130

// Controls without an id of their own
#ifndef IDC_STATIC
#define IDC_STATIC                  (-1)
#endif

// Controls of the main window
#define IDC_FILELIST                1000
#define IDC_BROWSE_DEST             1006
#define IDC_RESET_DEST              1007
#define IDC_STATUSBAR               10001
#define IDC_EXPAND                  15000
#define IDC_REMOVE                  15001

// Controls of the extension dialog
#define IDC_EXTENSION               1002
#define IDC_MESSAGE                 1003
#define IDC_FILEICON                1004
#define IDC_APPLY_ALL               1011

// Menu commands
#define ID_FILE_OPEN                32771
#define ID_FILE_OPENFOLDER          32772
#define ID_APP_EXIT                 32773
#define ID_APP_ABOUT                32774
#define ID_EDIT_EXTENSION           32778
#define ID_HELP_CONTENTS            57670

// The system-menu item that opens the About box
#define IDM_ABOUTBOX                0x0010

// Strings
#define IDS_ABOUTBOX                101
#define IDS_OPENFOLDER_TITLE        102
#define IDS_DESTINATION_TITLE       103
#define IDS_EXT_UNKNOWN             104
#define IDS_EXT_GUESSED             105
#define IDS_SAME_FOLDER             106
#define IDS_EXPAND_ERROR            107
#define IDS_REMOVE_ERROR            108
#define IDS_EXTENSION_ERROR         109
#define IDS_OPEN_FILE_TITLE         110
#define IDS_OPEN_FILE_FILTER        111
#define IDS_COLUMN_FILE             112
#define IDS_COLUMN_EXTENSION        113
#define IDS_COLUMN_COMPRESSED       114
#define IDS_COLUMN_EXPANDED         115
#define IDS_COLUMN_RATIO            116
#define IDS_EXT_NOT_FOUND           117
#define IDS_SIZE_BYTES              118
#define IDS_FILE_COUNT              119
#define IDS_FILE_COUNT_ONE          120
#define IDS_DRIVE_SPACE             121
#define IDS_NO_FILE_TO_EXPAND       1001
#define IDS_NO_EXTENSION            1002
#define IDS_SELECT_ONE_FILE         1003
#define IDS_NO_FILE_TO_REMOVE       1004
#define IDS_EXPAND_FAILED           1005
// 1006 and 1007 are taken: the string of a command id is its menu help.
#define IDS_OPEN_FAILED             1008
#define IDS_ARCHIVE_REFUSED         1009
#define IDS_POPUP_HELP_BASE         2001
#define IDS_HELP_FILE_MENU          2001
#define IDS_HELP_EDIT_MENU          2002
#define IDS_HELP_HELP_MENU          2003
#define IDS_HELP_FAILED             61703
