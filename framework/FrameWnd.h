// A top-level frame with a menu and one pane (child id AFX_IDW_PANE_FIRST) filling its
// client area.
//
//   m_pMainWnd = pFrame = new CMainFrame;               // frames live on the heap
//   if (!pFrame->LoadFrame(IDR_MAINFRAME)) { delete pFrame; m_pMainWnd = nullptr; return false; }
//
// LoadFrame(id): menu `id`, icon `id` (WM_SETICON), title = string `id` up to its first '\n'.
// Commands go to the pane's object first (OnCmdMsg), then the frame's own table, then the
// application. WM_SETFOCUS is passed on to the pane. Once created, the frame deletes itself
// after its window is gone (m_bAutoDelete); when it is the main window, the program's
// message loop ends then. If creation fails, the object stays the caller's.
#pragma once
#include <string>

#include "Wnd.h"

class CFrameWnd : public CWnd {
public:
    CFrameWnd() = default;

    virtual bool LoadFrame(UINT idResource, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, CWnd* parent = nullptr);
    // Default class: CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, arrow, window brush; adds
    // WS_EX_CLIENTEDGE (a derived frame may take it away).
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    bool OnCmdMsg(UINT id, int code, NMHDR* notify, LRESULT* result) override;
    // Sizes the pane (child AFX_IDW_PANE_FIRST) to the client area left by any control bars.
    virtual void RecalcLayout();
    CWnd* GetActiveView() const;  // the object bound to the pane, or null

    bool m_bAutoDelete = true;
    std::string m_strTitle;

protected:
    LRESULT OnCreate(WPARAM, LPARAM);  // 0; derived handlers call it first (-1 = fail)
    LRESULT OnSize(WPARAM, LPARAM);
    LRESULT OnSetFocus(WPARAM, LPARAM);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    bool m_bCreated = false;
};
