// Ids the framework itself gives meaning to. Only #defines: resource scripts include this too.
#pragma once

// Strings (texts in FrameworkStrings.rc, which program resource scripts include)
#define AFX_IDS_APP_TITLE        0xE000  // 57344: caption of the framework's own message boxes
#define AFX_IDP_FILE_READ_ERROR  0xF110  // "%1" = file name; the general error report for a failed read
#define AFX_IDP_FILE_WRITE_ERROR 0xF111  // "%1" = file name; the same for a failed write

// Standard commands (menus and buttons use these ids)
#define ID_APP_ABOUT 0xE140  // 57664: handled by the program's application class
#define ID_APP_EXIT  0xE141  // 57665: handled by CWinApp: closes the main window

// Child-window ids the framework lays out
#define AFX_IDW_TOOLBAR    0xE800  // control bar docked by RepositionBars
#define AFX_IDW_PANE_FIRST 0xE900  // the frame's single pane, sized to fill its client area

// Frame style bit (kept in the window style as the frame's own flag)
#define FWS_ADDTOTITLE 0x8000L

// Resource type of toolbar layouts: WORD version (1), width, height, count, then count WORD
// command ids (0 = separator). To resource compilers a user-defined type of WORD values:
//   IDR_MANAGER_TOOLBAR RT_TOOLBAR_ID { 1, 32, 32, 4, ID_MANAGER_ADD, ..., ID_MANAGER_IMPORT }
#define RT_TOOLBAR_ID 241
