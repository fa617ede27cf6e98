// The manager's working copy of the shortcut list: a two-column report list (name,
// location), one row per shortcut, in order of arrival. It asks its parent to run the
// add, edit and delete actions (WM_SHORTCUT_ACTION) from double-clicks, its context menu
// and the Enter and Delete keys.
#pragma once
#include "ListCtrl.h"
#include "Shortcut.h"

class CShortcutListCtrl : public CListCtrl {
public:
    // Report view, single selection, grid lines, full-row selection, and the two columns
    // sized 1:4 over the current client width. False when a column cannot be made.
    bool SetupColumns();

    bool AppendShortcut(const Shortcut& shortcut);
    bool SetShortcut(int index, const Shortcut& shortcut);
    bool GetShortcut(int index, Shortcut& shortcut) const;
    bool DeleteShortcut(int index);
    int GetSelectedIndex() const;
    // The location column takes whatever width the name column leaves.
    void FitLocationColumn();

    bool PreTranslateMessage(MSG* msg) override;

protected:
    void OnDblClk(NMHDR* nm, LRESULT* result);
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnAdd();
    void OnEdit();
    void OnDelete();
    DECLARE_MESSAGE_MAP()

private:
    bool InRange(int index) const { return index >= 0 && index < GetItemCount(); }
    void RequestAction(int code, int index);
};
