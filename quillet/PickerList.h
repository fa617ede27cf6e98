// The picker's dropped list: shows the hovered shortcut's location as a tooltip (the item
// text is only the name) and offers edit and delete on a right click.
#pragma once
#include "Controls.h"
#include "ToolTipCtrl.h"

class CPickerList : public CListBox {
public:
    CPickerList() = default;
    ~CPickerList() override;

    bool PreTranslateMessage(MSG* msg) override;

protected:
    void PreSubclassWindow() override;

    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnEditCommand();
    void OnDeleteCommand();
    DECLARE_MESSAGE_MAP()

private:
    void SendActionForSelection(int action);

    CToolTipCtrl m_tip;
    int m_hovered = -1;       // position of the item the mouse was last over
    bool m_menuOpen = false;  // while the context menu is tracked
};
