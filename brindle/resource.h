// Resource ids of the viewer. Included by brindle.rc and by the C++ code.
#pragma once

// Resources named by the frame (menu, icon and title string share id 128).
#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDC_LINKHAND 130   // cursor: the hand shown over a link

// Strings.
#define IDS_OPEN_FILTER 129   // filter of the file-open dialog, '|'-separated
#ifndef AFX_IDS_APP_TITLE
#define AFX_IDS_APP_TITLE 57344   // application title: caption of the framework's message boxes
#endif

// Commands of menu 128.
#define ID_FILE_OPENTEXT 32771
#define ID_EDIT_PASTETEXT 32772
#ifndef ID_APP_ABOUT
#define ID_APP_ABOUT 57664
#endif
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 57665
#endif

// The frame's single pane: the framework sizes the child with this id to its client area.
#ifndef AFX_IDW_PANE_FIRST
#define AFX_IDW_PANE_FIRST 0xE900
#endif
