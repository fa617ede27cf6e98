#include "MainFrame.h"

#include <shellapi.h>

#include "resource.h"

namespace {

// The system's helper message for drops that cross a privilege boundary.
constexpr UINT kCopyGlobalData = 0x0049;

// The viewer may run elevated (to reach an elevated registry editor). An elevated window
// does not get files dropped from a normal Explorer unless it lets the drop messages
// through its message filter.
void AllowDropsFromLowerLevels(HWND hwnd) {
    for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
        ::ChangeWindowMessageFilterEx(hwnd, message, MSGFLT_ALLOW, nullptr);
}

}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_MESSAGE(WM_CREATE, OnCreate)
    ON_MESSAGE(WM_DROPFILES, OnDropFiles)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
END_MESSAGE_MAP()

bool CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    // The view paints every pixel of the client area: a plain class will do.
    cs.lpszClass = AfxRegisterWndClass(0);
    if (!CFrameWnd::PreCreateWindow(cs)) return false;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return true;
}

LRESULT CMainFrame::OnCreate(WPARAM wParam, LPARAM lParam) {
    if (CFrameWnd::OnCreate(wParam, lParam) == -1) return -1;
    // The view opens the command-line file while it is created, before the frame shows.
    if (!m_wndView.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this,
                          AFX_IDW_PANE_FIRST))
        return -1;
    DragAcceptFiles(true);
    AllowDropsFromLowerLevels(m_hWnd);
    m_hAccel = ::LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    return 0;
}

// Sees the messages of the view, and those of the Find dialog (owned by this window), which
// hands them here first, before they are dispatched.
bool CMainFrame::PreTranslateMessage(MSG* msg) {
    // Esc ends a search or a comparison that is still running, wherever the keyboard is.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && m_wndView.EndWork()) return true;
    return m_hAccel && ::TranslateAcceleratorA(m_hWnd, m_hAccel, msg);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT findMessage = CFindReplaceDialog::GetFindReplaceMsg();
    if (findMessage && message == findMessage) {
        const CFindReplaceDialog* dialog = CFindReplaceDialog::GetNotifier(lParam);
        if (dialog) m_wndView.OnFindRequest(*dialog);
        return 0;
    }
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

LRESULT CMainFrame::OnDropFiles(WPARAM wParam, LPARAM) {
    // Posted, not sent: loading a large file must not keep the dropping program waiting.
    m_wndView.PostMessage(WM_DROPFILES, wParam, 0);
    return 0;
}

// Swapping needs a comparison shown, saving any text shown.
LRESULT CMainFrame::OnInitMenuPopup(WPARAM wParam, LPARAM) {
    HMENU menu = reinterpret_cast<HMENU>(wParam);
    const auto enable = [menu](UINT id, bool on) {
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    enable(ID_FILE_SWAPCOMPARE, m_wndView.CanSwap());
    enable(ID_FILE_SAVETEXTAS, m_wndView.CanSave());
    return Default();
}
