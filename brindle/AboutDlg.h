// The About box: dialog template IDD_ABOUTBOX, closed by its OK button.
#pragma once
#include "Framework.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);
};
