// The standard controls: combo box, list box, edit, button. Usually bound to a dialog's
// control with DDX_Control; messages are the control's own, texts are ANSI bytes.
// Results follow the controls: an index, CB_ERR/LB_ERR (-1), or a truth value.
#pragma once
#include <string>

#include "Wnd.h"

class CComboBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int AddString(const std::string& text);
    int InsertString(int index, const std::string& text);
    int DeleteString(int index);  // remaining count, or CB_ERR
    void ResetContent();
    int FindStringExact(int startAfter, const std::string& text) const;
    DWORD_PTR GetItemData(int index) const;  // CB_ERR on failure
    int SetItemData(int index, DWORD_PTR data);
    int GetLBTextLen(int index) const;
    bool GetLBText(int index, std::string& out) const;
    bool GetDroppedState() const;
    void ShowDropDown(bool show = true);
};

class CListBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetTopIndex() const;
    int AddString(const std::string& text);
    void ResetContent();
    bool GetText(int index, std::string& out) const;
    // LB_ITEMFROMPOINT: the nearest item, and whether pt lies outside the client area.
    int ItemFromPoint(POINT pt, bool& outside) const;
    int GetItemRect(int index, RECT* rect) const;  // LB_ERR on failure
};

class CEdit : public CWnd {
public:
    void SetSel(int start, int end, bool noScroll = false);
    void LimitText(int maxChars);
};

// An owner-drawn button draws itself in DrawItem (the parent's WM_DRAWITEM, reflected).
class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
    virtual void DrawItem(DRAWITEMSTRUCT*) {}

protected:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
