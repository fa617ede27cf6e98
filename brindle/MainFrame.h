// The viewer's main window: menu, accelerators, icon and title string (all IDR_MAINFRAME), and
// the link view as its one pane. Files dropped anywhere on the window, the Find dialog's
// requests and Esc while a search or a comparison runs are handed on to the view.
#pragma once
#include "Framework.h"
#include "LinkView.h"

class CMainFrame : public CFrameWnd {
public:
    CMainFrame() = default;

    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    bool PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CLinkView m_wndView;

protected:
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnDropFiles(WPARAM, LPARAM);
    LRESULT OnInitMenuPopup(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    HACCEL m_hAccel = nullptr;
};
