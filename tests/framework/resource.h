// Ids of the framework tests' resources.
#pragma once
#define IDD_SCRIPT         100
#define IDR_TESTFRAME      128
#define IDS_LONG           200
#define IDC_COMBO          1002
#define IDC_EDIT           1004
#define IDC_STATIC_TEXT    1005
#define IDC_LIST           1018
#define ID_BOTH            32771  // handled by view, frame and application
#define ID_FRAME_ONLY      32772
#define ID_NOBODY          32774
