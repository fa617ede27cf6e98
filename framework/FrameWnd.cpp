#include "FrameWnd.h"

#include "WinApp.h"

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_MESSAGE(WM_SIZE, OnSize)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
END_MESSAGE_MAP()

bool CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return cs.lpszClass != nullptr;
}

bool CFrameWnd::LoadFrame(UINT idResource, DWORD style, CWnd* parent) {
    HINSTANCE inst = AfxGetInstanceHandle();
    std::string title = AfxLoadString(idResource);
    size_t nl = title.find('\n');
    if (nl != std::string::npos) title.erase(nl);
    m_strTitle = title;
    HMENU menu = ::LoadMenuA(inst, MAKEINTRESOURCEA(idResource));
    if (!CreateEx(0, nullptr, m_strTitle.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  parent ? parent->m_hWnd : nullptr, menu)) {
        // A window that got as far as WM_CREATE took its menu with it when it went.
        if (menu && ::IsMenu(menu)) ::DestroyMenu(menu);
        return false;
    }
    m_bCreated = true;
    if (HICON icon = ::LoadIconA(inst, MAKEINTRESOURCEA(idResource))) {
        SetIcon(icon, true);
        SetIcon(icon, false);
    }
    return true;
}

LRESULT CFrameWnd::OnCreate(WPARAM, LPARAM) { return 0; }

LRESULT CFrameWnd::OnSize(WPARAM wParam, LPARAM) {
    if (wParam != SIZE_MINIMIZED) RecalcLayout();
    return Default();
}

void CFrameWnd::RecalcLayout() { RepositionBars(AFX_IDW_TOOLBAR, AFX_IDW_TOOLBAR + 0xFF, AFX_IDW_PANE_FIRST); }

CWnd* CFrameWnd::GetActiveView() const { return FromHandlePermanent(GetDlgItem(AFX_IDW_PANE_FIRST)); }

LRESULT CFrameWnd::OnSetFocus(WPARAM, LPARAM) {
    // The frame itself has nothing to type into: the keyboard belongs to its pane.
    HWND pane = GetDlgItem(AFX_IDW_PANE_FIRST);
    if (pane) ::SetFocus(pane);
    else Default();
    return 0;
}

bool CFrameWnd::OnCmdMsg(UINT id, int code, NMHDR* notify, LRESULT* result) {
    // The view sees every command first, then the frame, then the application.
    CWnd* view = GetActiveView();
    if (view && view != this && view->OnCmdMsg(id, code, notify, result)) return true;
    if (CWnd::OnCmdMsg(id, code, notify, result)) return true;
    CWinApp* app = AfxGetApp();
    return !notify && app && app->OnCmdMsg(id, code, nullptr, nullptr);
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        // The main window is gone: the program ends with it.
        ::PostQuitMessage(0);
    }
    if (m_bAutoDelete && m_bCreated) delete this;
}
