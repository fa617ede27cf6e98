#include "ShortcutManagerDlg.h"

#include <cstdio>
#include <cstring>

#include "Pictures.h"
#include "RegKeyTool.h"
#include "ShortcutDlg.h"
#include "ShortcutLine.h"
#include "ShortcutMessages.h"
#include "WinApp.h"
#include "resource.h"

namespace {

const char kFavoritesKey[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit\\Favorites";
constexpr COLORREF kToolBarMask = RGB(0, 128, 128);  // the teal behind the button pictures

// Moves a child window by (dx, dy) and grows it by (dw, dh), in its parent's coordinates.
void ShiftChild(HWND parent, HWND child, int dx, int dy, int dw, int dh) {
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    ::SetWindowPos(child, nullptr, rc.left + dx, rc.top + dy, rc.right - rc.left + dw, rc.bottom - rc.top + dh,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

}  // namespace

BEGIN_MESSAGE_MAP(CShortcutManagerDlg, CDialog)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, OnToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipText)
    ON_MESSAGE(WM_SHORTCUT_ITEM, OnShortcutItem)
    ON_MESSAGE(WM_SHORTCUT_ACTION, OnShortcutAction)
    ON_COMMAND(ID_MANAGER_ADD, OnAdd)
    ON_COMMAND(ID_MANAGER_DELETE, OnDelete)
    ON_COMMAND(ID_MANAGER_EDIT, OnEdit)
    ON_COMMAND(ID_MANAGER_IMPORT, OnImport)
END_MESSAGE_MAP()

CShortcutManagerDlg::CShortcutManagerDlg(CWnd* parent) : CDialog(IDD_SHORTCUT_MANAGER, parent) {}

void CShortcutManagerDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_SHORTCUT_LIST, m_list); }

bool CShortcutManagerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    bool barOk = CreateToolBar();
    if (barOk) MakeRoomForToolBar();
    if (!barOk || !m_list.SetupColumns()) {
        // Without its toolbar or columns the manager is of no use: it goes as if cancelled.
        PostMessage(WM_CLOSE);
        return true;
    }
    FitToScreen();

    if (CWnd* main = AfxGetMainWnd())
        main->SendMessage(WM_SHORTCUT_QUERY, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(m_hWnd));
    m_list.FitLocationColumn();
    return true;
}

bool CShortcutManagerDlg::CreateToolBar() {
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS,
                            AFX_IDW_CONTROLBAR_FIRST) ||
        !m_toolBar.LoadToolBar(IDR_MANAGER_TOOLBAR))
        return false;

    // Full-colour pictures instead of the toolbar's own 16-colour bitmap handling, in the
    // size drawn for the screen's scale; the buttons keep their margin of 7 pixels at 100%.
    const PictureSet pictures = PicturesForScreen();
    const int image = pictures.tool;
    m_toolBar.SetSizes(SIZE{image + AfxScalePixels(7), image + AfxScalePixels(7)}, SIZE{image, image});
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(pictures.toolBar),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return false;
    CImageList images;
    bool ok = images.Create(image, image, ILC_COLOR16 | ILC_MASK, 4, 2) && images.Add(bitmap, kToolBarMask) != -1;
    // The image list keeps its own copy of the pictures.
    DeleteObject(bitmap);
    return ok && m_toolBar.SetImageList(std::move(images));
}

void CShortcutManagerDlg::MakeRoomForToolBar() {
    RECT client, rest;
    GetClientRect(&client);
    RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0, reposQuery, &rest, &client);

    int dx = rest.left - client.left;
    int dy = rest.top - client.top;
    // The bar itself moves too; the final layout puts it back at the top.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ShiftChild(m_hWnd, child, dx, dy, 0, 0);
    RECT window;
    GetWindowRect(&window);
    int growW = (client.right - client.left) - (rest.right - rest.left);
    int growH = (client.bottom - client.top) - (rest.bottom - rest.top);
    SetWindowPos(nullptr, 0, 0, window.right - window.left + growW, window.bottom - window.top + growH,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0);
}

void CShortcutManagerDlg::FitToScreen() {
    int screenW = GetSystemMetrics(SM_CXSCREEN);
    int screenH = GetSystemMetrics(SM_CYSCREEN);
    RECT window;
    GetWindowRect(&window);
    // A margin of 20 pixels at 100% on the left, right and top, 60 at the bottom.
    const int margin = AfxScalePixels(20), bottom = AfxScalePixels(60);
    int dx = screenW - 2 * margin - (window.right - window.left);
    int dy = screenH - margin - bottom - (window.bottom - window.top);

    ShiftChild(m_hWnd, m_list.m_hWnd, 0, 0, dx, dy);
    ShiftChild(m_hWnd, GetDlgItem(IDOK), dx, dy, 0, 0);
    ShiftChild(m_hWnd, GetDlgItem(IDCANCEL), dx, dy, 0, 0);
    SetWindowPos(nullptr, margin, margin, screenW - 2 * margin, screenH - margin - bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0);
}

bool CShortcutManagerDlg::OnToolTipText(UINT, NMHDR* nm, LRESULT* result) {
    UINT_PTR id = nm->idFrom;
    bool wide = nm->code == TTN_NEEDTEXTW;
    UINT flags = wide ? reinterpret_cast<NMTTDISPINFOW*>(nm)->uFlags : reinterpret_cast<NMTTDISPINFOA*>(nm)->uFlags;
    if (flags & TTF_IDISHWND) id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));
    if (id < ID_MANAGER_ADD || id > ID_MANAGER_IMPORT) return false;

    std::string text;
    if (!AfxLoadString(static_cast<UINT>(id), text) || text.size() >= 80) return false;
    if (wide) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(nm);
        if (!MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, info->szText, 80)) return false;
        info->lpszText = info->szText;
    } else {
        auto* info = reinterpret_cast<NMTTDISPINFOA*>(nm);
        memcpy(info->szText, text.c_str(), text.size() + 1);
        info->lpszText = info->szText;
    }
    *result = 0;
    return true;
}

LRESULT CShortcutManagerDlg::OnShortcutItem(WPARAM, LPARAM lParam) {
    const auto* shortcut = reinterpret_cast<const Shortcut*>(lParam);
    return shortcut && m_list.AppendShortcut(*shortcut) ? 0 : -1;
}

LRESULT CShortcutManagerDlg::OnShortcutAction(WPARAM wParam, LPARAM lParam) {
    return DoAction(static_cast<int>(wParam), static_cast<int>(lParam));
}

void CShortcutManagerDlg::OnAdd() { DoAction(SHORTCUT_ACTION_ADD, 0); }

void CShortcutManagerDlg::OnDelete() {
    int index = m_list.GetSelectedIndex();
    if (index != -1) DoAction(SHORTCUT_ACTION_DELETE, index);
}

void CShortcutManagerDlg::OnEdit() {
    int index = m_list.GetSelectedIndex();
    if (index != -1) DoAction(SHORTCUT_ACTION_EDIT, index);
}

void CShortcutManagerDlg::OnImport() {
    CRegKeyTool tool;
    if (tool.ImportFavorites(kFavoritesKey, REG_SZ, m_hWnd) && m_list.GetItemCount() > 0) m_list.FitLocationColumn();
}

int CShortcutManagerDlg::DoAction(int code, int index) {
    Shortcut shortcut;
    switch (code) {
    case SHORTCUT_ACTION_ADD: {
        CShortcutDlg dlg(CShortcutDlg::Mode::Add, nullptr);
        if (dlg.DoModal() == IDOK && dlg.GetResult(shortcut) && m_list.AppendShortcut(shortcut))
            m_list.FitLocationColumn();
        return 0;
    }
    case SHORTCUT_ACTION_EDIT: {
        if (!m_list.GetShortcut(index, shortcut)) return -1;
        CShortcutDlg dlg(CShortcutDlg::Mode::Edit, &shortcut);
        Shortcut edited;
        if (dlg.DoModal() == IDOK && dlg.GetResult(edited) && m_list.SetShortcut(index, edited))
            m_list.FitLocationColumn();
        return 0;
    }
    case SHORTCUT_ACTION_DELETE: {
        // No question about a row that is not there.
        if (index < 0 || index >= m_list.GetItemCount()) return -1;
        if (MessageBox(AfxLoadString(IDS_DELETE_QUESTION), AfxLoadString(IDS_DELETE_CAPTION),
                       MB_YESNO | MB_ICONQUESTION) == IDYES &&
            m_list.DeleteShortcut(index))
            m_list.FitLocationColumn();
        return 0;
    }
    default: return -1;
    }
}

std::string CShortcutManagerDlg::BuildReplacementText() const {
    std::string text;
    int rows = m_list.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        Shortcut shortcut;
        if (!m_list.GetShortcut(row, shortcut)) continue;
        text += MakeShortcutLine(shortcut.location, shortcut.name);
        text += "\r\n";
    }
    return text;
}

void CShortcutManagerDlg::OnOK() {
    int rows = m_list.GetItemCount();
    std::string text = BuildReplacementText();
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (rows >= 1 && !text.empty()) {
        if (owner) ::SendMessageA(owner, WM_SHORTCUT_REPLACE, 0, reinterpret_cast<LPARAM>(text.c_str()));
    } else {
        MessageBox(AfxLoadString(IDS_MANAGER_NOTHING), AfxLoadString(IDS_MANAGER_CAPTION), MB_OK | MB_ICONEXCLAMATION);
    }
    EndDialog(IDOK);
}
