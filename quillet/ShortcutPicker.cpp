#include "ShortcutPicker.h"

#include "ShortcutMessages.h"

CShortcutPicker::~CShortcutPicker() = default;

BEGIN_MESSAGE_MAP(CShortcutPicker, CComboBox)
    ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColorListBox)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
    ON_CONTROL_REFLECT(CBN_SELCHANGE, OnSelChange)
END_MESSAGE_MAP()

bool CShortcutPicker::AddItem(const char* name, int id) {
    if (!name || !*name) return false;
    const int position = static_cast<int>(CallCombo(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)));
    if (position < 0) return false;
    CallCombo(CB_SETITEMDATA, static_cast<WPARAM>(position), static_cast<LPARAM>(id));
    return true;
}

// Appending is the one hot operation (a whole list at start-up and after a replacement), and
// none of its messages is one the subclass handles. Every message that passes a subclass
// chain costs the chain's own look-ups, which under Wine are round trips to its server, so
// the two messages per item go straight to the combo box's own procedure.
LRESULT CShortcutPicker::CallCombo(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_comboProc) m_comboProc = reinterpret_cast<WNDPROC>(::GetClassLongPtrA(m_hWnd, GCLP_WNDPROC));
    if (!m_comboProc) return SendMessage(message, wParam, lParam);
    return ::CallWindowProcA(m_comboProc, m_hWnd, message, wParam, lParam);
}

bool CShortcutPicker::DeleteItem(int position) {
    return IsValidPosition(position) && DeleteString(position) != CB_ERR;
}

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

// Any selection change (a click in the dropped list, an arrow key on the closed picker)
// opens the newly chosen shortcut at once.
void CShortcutPicker::OnSelChange() {
    const int position = GetCurSel();
    if (position != CB_ERR) ::SendMessageA(GetParent(), WM_SHORTCUT_ACTION, SHORTCUT_ACTION_OPEN, position);
}
