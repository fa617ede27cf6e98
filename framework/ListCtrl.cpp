#include "ListCtrl.h"

#include <cstring>
#include <vector>

int CListCtrl::InsertColumn(int column, const std::string& heading, int format, int width, int subItem) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_FMT;
    col.fmt = format;
    col.pszText = const_cast<char*>(heading.c_str());
    if (width != -1) {
        col.mask |= LVCF_WIDTH;
        col.cx = width;
    }
    if (subItem != -1) {
        col.mask |= LVCF_SUBITEM;
        col.iSubItem = subItem;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&col)));
}

bool CListCtrl::SetColumnWidth(int column, int cx) {
    return SendMessage(LVM_SETCOLUMNWIDTH, column, MAKELPARAM(cx, 0)) != 0;
}
DWORD CListCtrl::SetExtendedStyle(DWORD exStyle) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(exStyle)));
}
int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

int CListCtrl::InsertItem(int index, const std::string& text) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::SetItemText(int index, int subItem, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text.c_str());
    return SendMessage(LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item)) != 0;
}

bool CListCtrl::GetItemText(int index, int subItem, std::string& out) const {
    out.clear();
    if (index < 0 || index >= GetItemCount()) return false;
    // The control copies at most the buffer and tells only how much it copied, in bytes or
    // in characters as the control's version counts: the copied text's own length decides.
    // Grow until the text surely fits. A double-byte character that would not fit whole is
    // left out, so a cut text may also end one byte before the buffer's last place.
    std::vector<char> buf(256);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = subItem;
        item.pszText = buf.data();
        item.cchTextMax = static_cast<int>(buf.size());
        SendMessage(LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
        if (item.pszText != buf.data()) {  // the control may point at a text of its own instead
            out.assign(item.pszText ? item.pszText : "");
            return true;
        }
        const size_t length = strnlen(buf.data(), buf.size());
        if (length + 2 < buf.size() || buf.size() >= (1u << 20)) {
            out.assign(buf.data(), length);
            return true;
        }
        buf.resize(buf.size() * 4);
    }
}

std::string CListCtrl::GetItemText(int index, int subItem) const {
    std::string s;
    GetItemText(index, subItem, s);
    return s;
}

bool CListCtrl::DeleteItem(int index) { return SendMessage(LVM_DELETEITEM, index) != 0; }
int CListCtrl::GetNextItem(int start, int flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, start, MAKELPARAM(flags, 0)));
}
bool CListCtrl::EnsureVisible(int index) { return SendMessage(LVM_ENSUREVISIBLE, index, FALSE) != 0; }

bool CListCtrl::GetItemRect(int index, RECT* rect, int code) const {
    rect->left = code;
    return SendMessage(LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)) != 0;
}

int CListCtrl::HitTest(POINT pt, UINT* flags) const {
    LVHITTESTINFO info{};
    info.pt = pt;
    int index = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags) *flags = info.flags;
    return index;
}
