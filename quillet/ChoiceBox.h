// A combo box whose choice opens something: the picker (a shortcut) and the path box (a
// typed path). A choice is told apart from a look:
// - on the closed box every selection change (an arrow key, the wheel) is a choice, taken
//   at once;
// - while the list is dropped (F4, Alt+Down, a click) the arrow keys only move the
//   highlight; the item highlighted when the list closes with Enter or a click is the
//   choice, taken once; closed with Esc, or by the keyboard going elsewhere, it is none.
// The box sends CBN_SELCHANGE for every highlight move, and around a close its
// notifications come in no fixed order (CBN_SELCHANGE before or after CBN_CLOSEUP). So the
// close is only noted, and a message posted to the box itself settles it once every
// notification of that key press or click has arrived.
#pragma once
#include "Controls.h"

class CChoiceBox : public CComboBox {
protected:
    // The user chose the item at `position` (never -1).
    virtual void OnChoose(int position) = 0;

    void OnDropDown();
    void OnSelChange();
    void OnSelEndOk();
    void OnSelEndCancel();
    void OnCloseUp();
    LRESULT OnSettle(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    void SettleLater();

    bool m_dropped = false;  // from CBN_DROPDOWN until its close is settled
    bool m_chosen = false;   // that close was Enter or a click (CBN_SELENDOK)
};
