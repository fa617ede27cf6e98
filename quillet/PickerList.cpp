#include "PickerList.h"

#include "Menu.h"
#include "Shortcut.h"
#include "ShortcutMessages.h"
#include "WinApp.h"
#include "resource.h"

CPickerList::~CPickerList() = default;

BEGIN_MESSAGE_MAP(CPickerList, CListBox)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_COMMAND(ID_LIST_EDIT, OnEditCommand)
    ON_COMMAND(ID_LIST_DELETE, OnDeleteCommand)
END_MESSAGE_MAP()

void CPickerList::PreSubclassWindow() {
    // One tool for the whole list; its text follows the item under the mouse.
    if (m_tip.Create(m_hWnd, TTS_ALWAYSTIP)) m_tip.AddTool(m_hWnd, AfxLoadString(IDS_PICKER_TIP_INITIAL));
    m_hovered = -1;
    m_menuOpen = false;
    CListBox::PreSubclassWindow();
}

bool CPickerList::PreTranslateMessage(MSG* msg) {
    if (m_tip.m_hWnd) m_tip.RelayEvent(msg);
    return CListBox::PreTranslateMessage(msg);
}

// The item text is only the name: the tip shows where the hovered shortcut leads.
LRESULT CPickerList::OnMouseMove(WPARAM, LPARAM lParam) {
    const CPoint pt(lParam);
    bool outside = false;
    const int item = ItemFromPoint(pt, outside);
    if (outside) {
        m_hovered = -1;
        return Default();
    }
    if (item != m_hovered && item >= 0) {
        CRect rc;
        CWnd* strip = AfxGetMainWnd();
        Shortcut shortcut;
        if (GetItemRect(item, &rc) != LB_ERR && rc.PtInRect(pt) && strip &&
            ::SendMessageA(strip->m_hWnd, WM_SHORTCUT_QUERY, static_cast<WPARAM>(item),
                           reinterpret_cast<LPARAM>(&shortcut)) != -1) {
            m_tip.UpdateTipText(shortcut.location, m_hWnd);
            // Above the dropped list, which is itself topmost.
            m_tip.SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
            m_tip.Update();
        }
    }
    m_hovered = item;
    return Default();
}

// While the context menu is tracked the menu holds the capture; letting the list see that
// would close the dropped list behind the menu.
LRESULT CPickerList::OnCaptureChanged(WPARAM, LPARAM) { return m_menuOpen ? 0 : Default(); }

LRESULT CPickerList::OnContextMenu(WPARAM, LPARAM lParam) {
    CMenu menu;
    if (!menu.CreatePopupMenu()) return 0;
    m_menuOpen = true;
    if (m_tip.m_hWnd) m_tip.ShowWindow(SW_HIDE);
    menu.AppendMenu(MF_STRING, ID_LIST_EDIT, AfxLoadString(ID_LIST_EDIT));
    menu.AppendMenu(MF_STRING, ID_LIST_DELETE, AfxLoadString(ID_LIST_DELETE));
    // From the keyboard the menu opens at the highlighted item, the one its commands act on.
    RECT highlighted = {};
    const int position = GetCurSel();
    if (position != LB_ERR && GetItemRect(position, &highlighted) == LB_ERR) SetRectEmpty(&highlighted);
    const POINT at = ContextMenuPoint(m_hWnd, lParam, highlighted);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, m_hWnd);
    menu.DestroyMenu();
    m_menuOpen = false;
    return 0;
}

// Both commands act on the list's selection: the highlighted item, which need not be the
// one the closed picker showed.
void CPickerList::SendActionForSelection(int action) {
    const int position = GetCurSel();
    CWnd* strip = AfxGetMainWnd();
    if (position != LB_ERR && strip) ::SendMessageA(strip->m_hWnd, WM_SHORTCUT_ACTION, action, position);
}

void CPickerList::OnEditCommand() { SendActionForSelection(SHORTCUT_ACTION_EDIT); }
void CPickerList::OnDeleteCommand() { SendActionForSelection(SHORTCUT_ACTION_DELETE); }
