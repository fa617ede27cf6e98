// The standard controls: combo box, list box, owner-drawn button. Usually bound to a dialog's
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
    DWORD_PTR GetItemData(int index) const;  // CB_ERR on failure
    int SetItemData(int index, DWORD_PTR data);
    bool GetLBText(int index, std::string& out) const;
    bool GetDroppedState() const;
    // The edit field's text in the ANSI code page; false when it holds a character the code
    // page cannot hold (a pasted emoji, say): read the ANSI way it would be '?', which a file
    // test takes for a wildcard.
    bool GetEditTextExact(std::string& text) const;
};

class CListBox : public CWnd {
public:
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int AddString(const std::string& text);
    void ResetContent();
    // LB_ITEMFROMPOINT: the nearest item, and whether pt lies outside the client area.
    int ItemFromPoint(POINT pt, bool& outside) const;
    int GetItemRect(int index, RECT* rect) const;  // LB_ERR on failure
};

// An owner-drawn button draws itself in DrawItem (the parent's WM_DRAWITEM, reflected).
class CButton : public CWnd {
public:
    virtual void DrawItem(DRAWITEMSTRUCT*) {}

protected:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
