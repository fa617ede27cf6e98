// The manager of the whole shortcut list. It works on a copy held in its list view:
// filled from the strip at opening, changed by the add/edit/delete actions and the
// Favorites import, and handed back in one WM_SHORTCUT_REPLACE at OK. Cancel drops it.
#pragma once
#include <string>

#include "Dialog.h"
#include "ShortcutListCtrl.h"
#include "ToolBar.h"

class CShortcutManagerDlg : public CDialog {
public:
    explicit CShortcutManagerDlg(CWnd* parent = nullptr);

    // The text that OK hands to the strip: one shortcut line per readable row.
    std::string BuildReplacementText() const;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void OnOK() override;

    bool OnToolTipText(UINT id, NMHDR* nm, LRESULT* result);
    LRESULT OnShortcutItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnShortcutAction(WPARAM wParam, LPARAM lParam);
    void OnAdd();
    void OnDelete();
    void OnEdit();
    void OnImport();
    DECLARE_MESSAGE_MAP()

private:
    bool CreateToolBar();
    void MakeRoomForToolBar();
    void FitToScreen();
    int DoAction(int code, int index);

    CShortcutListCtrl m_list;
    CToolBar m_toolBar;
};
