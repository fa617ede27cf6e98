// Resource ids of Quillet. Included by quillet.rc and by the C++ sources; plain
// #defines only, so that windres can read it.
//
// Tooltips and menu texts are string resources whose id equals the control or
// command they describe, so a control id doubles as its string id.
#pragma once

// Icon, bitmaps, toolbar
#define IDR_MAINFRAME       128  // program icon
#define IDB_STRIP           129  // twelve 16x16 button faces, normal
#define IDB_STRIP_LIT       130  // the same faces, lit (held down / mode on)
#define IDR_MANAGER_TOOLBAR 134  // manager toolbar: binary toolbar resource and bitmap
// The same three bitmaps drawn for 125%, 150% and 200% display scaling: strip, lit strip,
// manager toolbar, in that order from each base id.
#define IDB_SCALED_125 135
#define IDB_SCALED_150 138
#define IDB_SCALED_200 141

// Dialog templates
#define IDD_TOOLBAR          102
#define IDD_SHORTCUT         131
#define IDD_ABOUT            132
#define IDD_SHORTCUT_MANAGER 133

// Controls of the strip (IDD_TOOLBAR); the order of the buttons is the order of
// their cells in the two strips IDB_STRIP and IDB_STRIP_LIT.
#define IDC_RUN_REGEDIT         1000
#define IDC_SEPARATOR1          1001
#define IDC_PICKER              1002
#define IDC_ADD                 1003
#define IDC_DELETE              1004
#define IDC_EDIT                1005
#define IDC_MANAGER             1006
#define IDC_SEPARATOR2          1007
#define IDC_ADD_FROM_CLIPBOARD  1008
#define IDC_OPEN_FROM_CLIPBOARD 1009
#define IDC_AUTO_OPEN           1010
#define IDC_CLEAR_CLIPBOARD     1011
#define IDC_MANUAL_OPEN         1012
#define IDC_ABOUT               1013
#define IDC_CLOSE               1014
#define IDC_PATH_BOX            1015

// Controls of the editor dialog (IDD_SHORTCUT) and the manager (IDD_SHORTCUT_MANAGER)
#define IDC_LOCATION      1016
#define IDC_NAME          1017
#define IDC_SHORTCUT_LIST 1018

// Commands of the manager's toolbar (tooltips share these ids)
#define ID_MANAGER_ADD    32771
#define ID_MANAGER_DELETE 32772
#define ID_MANAGER_EDIT   32773
#define ID_MANAGER_IMPORT 32774

// Context-menu commands (menu item texts share these ids)
#define ID_LIST_ADD    32776
#define ID_LIST_EDIT   32777
#define ID_LIST_DELETE 32778

// Message texts and captions. Kept clear of the control and command ids above,
// of the common fragment's range and of the framework's 0xE000-0xF0FF.
#define IDS_CAPTION_NOTE        2000  // caption for input to correct
#define IDS_CAPTION_ERROR       2001  // caption for an invalid key or editor trouble
#define IDS_SHORTCUT_ADD_TITLE  2002  // editor caption in add mode
#define IDS_SHORTCUT_EDIT_TITLE 2003  // editor caption in edit mode
#define IDS_LOCATION_EMPTY      2004
#define IDS_LOCATION_INVALID    2005
#define IDS_NAME_UNDERIVABLE    2006
#define IDS_NAME_LEADING_BLANK  2007
#define IDS_DELETE_QUESTION     2008
#define IDS_DELETE_CAPTION      2009
#define IDS_RUN_REGEDIT_FAILED  2010
#define IDS_MANAGER_CAPTION     2011
#define IDS_MANAGER_NOTHING     2012
#define IDS_COLUMN_NAME         2013
#define IDS_COLUMN_LOCATION     2014
#define IDS_PICKER_TIP_INITIAL  2015  // first text of the dropped list's tooltip
// Saving at close: the shortcut file could not be read at start-up, so this run's
// list is not written over it (%s: the file's path, %s: the system's reason).
#define IDS_SAVE_SKIPPED 2018
// Saving at close failed (%s: the file's path, %s: the system's reason); asks to retry.
#define IDS_SAVE_FAILED  2019
#define IDS_SAVE_CAPTION 2020  // caption of the boxes about saving
#define IDS_SYSTEM_ERROR 2021  // the reason when the system has no words for an error (%lu: its code)
// Saving at close: the file changed since it was read, most likely saved by another strip (%s:
// its path); asks whether to write over it.
#define IDS_SAVE_CHANGED 2022

// The application's title, where the framework looks for it.
#define IDS_APP_TITLE 0xE000
