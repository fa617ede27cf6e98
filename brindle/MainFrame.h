// The viewer's main window: menu 128, icon 128, title string 128, and the link view as
// its one pane. Files dropped anywhere on the window are handed on to the view.
#pragma once
#include "Framework.h"
#include "LinkView.h"

class CMainFrame : public CFrameWnd {
public:
    CMainFrame() = default;

    bool PreCreateWindow(CREATESTRUCTA& cs) override;

    CLinkView m_wndView;

protected:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnDropFiles(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};
