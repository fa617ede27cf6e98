#include "Controls.h"

#include <vector>

// ---- CComboBox -----------------------------------------------------------------------------

int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
int CComboBox::AddString(const std::string& text) {
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
int CComboBox::InsertString(int index, const std::string& text) {
    return static_cast<int>(SendMessage(CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text.c_str())));
}
int CComboBox::DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
DWORD_PTR CComboBox::GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, index)); }
int CComboBox::SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(SendMessage(CB_SETITEMDATA, index, static_cast<LPARAM>(data)));
}
bool CComboBox::GetEditTextExact(std::string& text) const {
    text.clear();
    // From the edit field itself: the combo box hands the text on the ANSI way, '?' and all.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    const HWND edit = ::GetComboBoxInfo(m_hWnd, &info) && info.hwndItem ? info.hwndItem : m_hWnd;
    const int units = ::GetWindowTextLengthW(edit);
    if (units <= 0) return true;
    std::vector<wchar_t> wide(static_cast<size_t>(units) + 1);
    const int got = ::GetWindowTextW(edit, wide.data(), units + 1);
    if (got <= 0) return true;
    // No best fit either: a look-alike would name another file just as well.
    const int bytes =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), got, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    text.resize(static_cast<size_t>(bytes));
    BOOL usedDefault = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), got, &text[0], bytes, nullptr, &usedDefault);
    return !usedDefault;
}

bool CComboBox::GetLBText(int index, std::string& out) const {
    out.clear();
    int len = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, index));
    if (len < 0) return false;
    std::vector<char> buf(static_cast<size_t>(len) + 1);
    int got = static_cast<int>(SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf.data())));
    if (got < 0) return false;
    out.assign(buf.data(), static_cast<size_t>(got < len ? got : len));
    return true;
}
bool CComboBox::GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }

// ---- CListBox ------------------------------------------------------------------------------

int CListBox::GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
int CListBox::GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
int CListBox::SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
int CListBox::AddString(const std::string& text) {
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
void CListBox::ResetContent() { SendMessage(LB_RESETCONTENT); }
int CListBox::ItemFromPoint(POINT pt, bool& outside) const {
    LRESULT r = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
    outside = HIWORD(r) != 0;
    return LOWORD(r);
}
int CListBox::GetItemRect(int index, RECT* rect) const {
    return static_cast<int>(SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
}

// ---- CButton -------------------------------------------------------------------------------

bool CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_DRAWITEM && (GetStyle() & BS_TYPEMASK) == BS_OWNERDRAW) {
        DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        *result = TRUE;
        return true;
    }
    return CWnd::OnChildNotify(message, wParam, lParam, result);
}
