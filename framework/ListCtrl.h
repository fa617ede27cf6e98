// The list-view control in report view: columns, rows of texts, selection, hit test.
#pragma once
#include <string>

#include "Wnd.h"

class CListCtrl : public CWnd {
public:
    // Returns the new column's index, or -1.
    int InsertColumn(int column, const std::string& heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    bool SetColumnWidth(int column, int cx);  // cx may be LVSCW_AUTOSIZE(_USEHEADER)
    DWORD SetExtendedStyle(DWORD exStyle);    // replaces the whole set; returns the old one

    int GetItemCount() const;
    int InsertItem(int index, const std::string& text);  // new index, or -1
    bool SetItemText(int index, int subItem, const std::string& text);
    std::string GetItemText(int index, int subItem) const;
    bool GetItemText(int index, int subItem, std::string& out) const;  // false: no such row
    bool DeleteItem(int index);
    int GetNextItem(int start, int flags) const;  // LVNI_*; -1 when none
    // LVM_HITTEST at a client point; -1 when no row is hit. flags receives LVHT_*.
    int HitTest(POINT pt, UINT* flags = nullptr) const;
    bool EnsureVisible(int index);
    bool GetItemRect(int index, RECT* rect, int code = LVIR_BOUNDS) const;
};
