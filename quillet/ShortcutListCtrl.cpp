#include "ShortcutListCtrl.h"

#include "Menu.h"
#include "ShortcutLine.h"
#include "ShortcutMessages.h"
#include "WinApp.h"
#include "resource.h"

namespace {

constexpr int kNameColumn = 0;
constexpr int kLocationColumn = 1;

}  // namespace

BEGIN_MESSAGE_MAP(CShortcutListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_COMMAND(ID_LIST_ADD, OnAdd)
    ON_COMMAND(ID_LIST_EDIT, OnEdit)
    ON_COMMAND(ID_LIST_DELETE, OnDelete)
END_MESSAGE_MAP()

bool CShortcutListCtrl::SetupColumns() {
    ModifyStyle(0, LVS_REPORT | LVS_SINGLESEL);
    SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(&client);
    int width = client.right - client.left;
    return InsertColumn(kNameColumn, AfxLoadString(IDS_COLUMN_NAME), LVCFMT_LEFT, width / 5) == 0 &&
           InsertColumn(kLocationColumn, AfxLoadString(IDS_COLUMN_LOCATION), LVCFMT_LEFT, 4 * width / 5) == 1;
}

bool CShortcutListCtrl::AppendShortcut(const Shortcut& shortcut) {
    if (!shortcut.IsComplete()) return false;
    int row = InsertItem(GetItemCount(), ShortcutFieldText(shortcut.name));
    if (row < 0) return false;
    if (!SetItemText(row, kLocationColumn, ShortcutFieldText(shortcut.location))) {
        // A half-made row would travel to the strip at OK as a shortcut without a location.
        DeleteItem(row);
        return false;
    }
    return true;
}

bool CShortcutListCtrl::SetShortcut(int index, const Shortcut& shortcut) {
    if (!InRange(index) || !shortcut.IsComplete()) return false;
    return SetItemText(index, kNameColumn, ShortcutFieldText(shortcut.name)) &&
           SetItemText(index, kLocationColumn, ShortcutFieldText(shortcut.location));
}

bool CShortcutListCtrl::GetShortcut(int index, Shortcut& shortcut) const {
    if (!InRange(index)) return false;
    shortcut.name = GetItemText(index, kNameColumn);
    shortcut.location = GetItemText(index, kLocationColumn);
    return true;
}

bool CShortcutListCtrl::DeleteShortcut(int index) { return InRange(index) && DeleteItem(index); }

int CShortcutListCtrl::GetSelectedIndex() const { return GetNextItem(-1, LVNI_SELECTED); }

void CShortcutListCtrl::FitLocationColumn() { SetColumnWidth(kLocationColumn, LVSCW_AUTOSIZE_USEHEADER); }

bool CShortcutListCtrl::PreTranslateMessage(MSG* msg) {
    // Filtered before the dialog manager sees them: there Enter would press OK and Esc
    // would cancel the whole manager, while in the list they mean "edit this row" and
    // "nothing".
    if (msg->message == WM_KEYDOWN) {
        switch (msg->wParam) {
        case VK_RETURN: RequestAction(SHORTCUT_ACTION_EDIT, GetSelectedIndex()); return true;
        case VK_ESCAPE: return true;
        case VK_DELETE:
            RequestAction(SHORTCUT_ACTION_DELETE, GetSelectedIndex());
            break;  // and on to the list's own handling
        default: break;
        }
    }
    return CListCtrl::PreTranslateMessage(msg);
}

void CShortcutListCtrl::OnDblClk(NMHDR* nm, LRESULT* result) {
    int item = reinterpret_cast<NMITEMACTIVATE*>(nm)->iItem;
    if (item == -1) RequestAction(SHORTCUT_ACTION_ADD, 0);
    else RequestAction(SHORTCUT_ACTION_EDIT, item);
    *result = 0;
}

LRESULT CShortcutListCtrl::OnContextMenu(WPARAM, LPARAM lParam) {
    // From the keyboard the menu is about the selected row, and opens at it.
    bool onRow = false;
    RECT selected = {};
    POINT screen = CPoint(lParam);
    if (screen.x == -1 && screen.y == -1) {
        const int index = GetSelectedIndex();
        onRow = index != -1 && EnsureVisible(index) && GetItemRect(index, &selected, LVIR_LABEL);
        screen = ContextMenuPoint(m_hWnd, lParam, selected);
    } else {
        POINT client = screen;
        ScreenToClient(&client);
        onRow = HitTest(client) != -1;
    }

    CMenu menu;
    if (!menu.CreatePopupMenu()) return 0;
    // Each item's text is the string resource with its command's id.
    if (onRow) {
        menu.AppendMenu(MF_STRING, ID_LIST_EDIT, AfxLoadString(ID_LIST_EDIT));
        menu.AppendMenu(MF_STRING, ID_LIST_DELETE, AfxLoadString(ID_LIST_DELETE));
    } else {
        menu.AppendMenu(MF_STRING, ID_LIST_ADD, AfxLoadString(ID_LIST_ADD));
    }
    // The commands come back to this control as WM_COMMAND and act on the selection.
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, screen.x, screen.y, m_hWnd);
    return 0;
}

void CShortcutListCtrl::OnAdd() { RequestAction(SHORTCUT_ACTION_ADD, 0); }

void CShortcutListCtrl::OnEdit() { RequestAction(SHORTCUT_ACTION_EDIT, GetSelectedIndex()); }

void CShortcutListCtrl::OnDelete() { RequestAction(SHORTCUT_ACTION_DELETE, GetSelectedIndex()); }

void CShortcutListCtrl::RequestAction(int code, int index) {
    // Edit and delete need a selected row; without one nothing happens.
    if (code != SHORTCUT_ACTION_ADD && index < 0) return;
    ::SendMessageA(GetParent(), WM_SHORTCUT_ACTION, static_cast<WPARAM>(code), index);
}
