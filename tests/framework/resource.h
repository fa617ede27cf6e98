// Ids of the framework tests' resources.
#pragma once

#define IDR_TESTFRAME      128
#define IDD_SCRIPT         100
#define IDD_CONTROLS       101
#define IDD_NOFONT         102
#define IDR_TESTBAR        134
#define IDR_BADBAR         135
#define IDS_LONG           200

#define IDC_EDIT           1004
#define IDC_STATIC_TEXT    1005
#define IDC_COMBO          1002
#define IDC_OWNERDRAW      1003
#define IDC_LIST           1018

#define ID_BOTH            32771  // handled by view and frame
#define ID_FRAME_ONLY      32772
#define ID_VIEW_ONLY       32773
#define ID_NOBODY          32774
