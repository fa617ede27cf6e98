// Ids of the framework tests' resources.
#pragma once
#define IDD_SCRIPT 100
#define IDC_EDIT   1004
