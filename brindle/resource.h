// Resource ids of the viewer. Included by brindle.rc, by the C++ code and by the tests; the
// framework's own ids (the application title AFX_IDS_APP_TITLE, ID_APP_ABOUT, ID_APP_EXIT,
// the pane AFX_IDW_PANE_FIRST) come from AfxRes.h.
#pragma once
#include "AfxRes.h"

// Resources named by the frame: menu, accelerators, icon and title string share this one id.
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDC_LINKHAND 130   // cursor: the hand shown over a link

// Strings.
#define IDS_OPEN_FILTER 129   // filter of the file-open dialog, '|'-separated
#define IDS_VIEW_FONT 131     // face name of the view's two fonts
#define IDS_FIND_NOT_FOUND 132  // Find found nothing; %1 is the text searched for

// Commands of the menu IDR_MAINFRAME that the view handles.
#define ID_FILE_OPENTEXT 32771
#define ID_EDIT_PASTETEXT 32772
#define ID_EDIT_FINDTEXT 32781      // Ctrl+F: the Find dialog
#define ID_EDIT_FINDNEXTMATCH 32782 // F3
#define ID_EDIT_FINDPREVMATCH 32783 // Shift+F3
