#include "ShortcutPicker.h"

#include "ShortcutMessages.h"

CShortcutPicker::~CShortcutPicker() = default;

BEGIN_MESSAGE_MAP(CShortcutPicker, CChoiceBox)
    ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColorListBox)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
END_MESSAGE_MAP()

bool CShortcutPicker::AddItem(const char* name, int id) {
    if (!name || !*name) return false;
    const int position = AddString(name);
    if (position < 0) return false;
    SetItemData(position, static_cast<DWORD_PTR>(static_cast<INT_PTR>(id)));
    return true;
}

bool CShortcutPicker::DeleteItem(int position) { return IsValidPosition(position) && DeleteString(position) != CB_ERR; }

bool CShortcutPicker::ReplaceItem(int position, const char* name) {
    if (!IsValidPosition(position) || !name || !*name) return false;
    const int id = IdAt(position);
    if (id == -1) return false;
    DeleteItem(position);
    const int inserted = InsertString(position, name);
    if (inserted < 0) return false;
    SetItemData(inserted, static_cast<DWORD_PTR>(static_cast<INT_PTR>(id)));
    SetCurSel(inserted);
    return true;
}

int CShortcutPicker::IdAt(int position) const {
    if (!IsValidPosition(position)) return -1;
    const LRESULT data = static_cast<LRESULT>(GetItemData(position));
    return data == CB_ERR ? -1 : static_cast<int>(data);
}

int CShortcutPicker::CurrentPosition() const { return GetCount() <= 0 ? -1 : GetCurSel(); }

// The dropped list asks its combo box for colours the first time it is shown: the moment
// its window is known, so the list subclass is attached there. No colour is changed.
LRESULT CShortcutPicker::OnCtlColorListBox(WPARAM, LPARAM lParam) {
    HWND list = reinterpret_cast<HWND>(lParam);
    if (!m_list.m_hWnd && list && list != m_hWnd) m_list.SubclassWindow(list);
    return Default();
}

LRESULT CShortcutPicker::OnDestroy(WPARAM, LPARAM) {
    if (m_list.m_hWnd) m_list.UnsubclassWindow();
    return Default();
}

// The keyboard stays with the picker while its list is dropped, and a combo box makes no menu
// of Shift+F10 or the menu key: here they open the list's menu, at the highlighted item.
bool CShortcutPicker::PreTranslateMessage(MSG* msg) {
    const bool menuKey = (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0) ||
                         (msg->message == WM_KEYDOWN && msg->wParam == VK_APPS);
    if (!menuKey || !m_list.m_hWnd || !GetDroppedState()) return CChoiceBox::PreTranslateMessage(msg);
    m_list.SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_list.m_hWnd), -1);
    return true;
}

void CShortcutPicker::OnChoose(int position) {
    ::SendMessageA(GetParent(), WM_SHORTCUT_ACTION, SHORTCUT_ACTION_OPEN, position);
}
