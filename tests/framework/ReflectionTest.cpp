// Notifications a control sends to its dialog come back to the control's own object. (A list's
// item texts longer than the first read: the manager's test.)
#include <Framework.h>
#include <gtest/gtest.h>

#include "ScriptDlg.h"

namespace {

class CPickCombo : public CComboBox {
public:
    int m_selChanges = 0;

protected:
    void OnSelChange() { ++m_selChanges; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPickCombo, CComboBox)
    ON_CONTROL_REFLECT(CBN_SELCHANGE, OnSelChange)
END_MESSAGE_MAP()

class CColourStatic : public CWnd {
public:
    HBRUSH m_brush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    UINT m_lastType = 99;

protected:
    HBRUSH OnCtlColor(HDC, UINT type) {
        m_lastType = type;
        return m_brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourStatic, CWnd)
    ON_CTLCOLOR_REFLECT(OnCtlColor)
END_MESSAGE_MAP()

class CRowList : public CListCtrl {
protected:
    void OnDblClk(NMHDR*, LRESULT* result) { *result = 7; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRowList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
END_MESSAGE_MAP()

class CControlsDlg : public CScriptDlg {
public:
    using CScriptDlg::CScriptDlg;
    CPickCombo m_combo;
    CColourStatic m_static;
    CRowList m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_COMBO, m_combo);
        DDX_Control(pDX, IDC_STATIC_TEXT, m_static);
        DDX_Control(pDX, IDC_LIST, m_list);
    }
};

TEST(ReflectionTest, NotificationsReachTheControlObjects) {
    CControlsDlg dlg(IDD_SCRIPT, [&](CScriptDlg& base) {
        auto& d = static_cast<CControlsDlg&>(base);
        // WM_COMMAND: the closed drop-down list changes its selection on the down arrow and
        // tells its parent, which has no entry for it.
        for (const char* item : {"one", "two"}) d.m_combo.AddString(item);
        for (int i = 0; i < 2; ++i) d.m_combo.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(d.m_combo.GetCurSel(), 1);
        EXPECT_EQ(d.m_combo.m_selChanges, 2);

        // WM_CTLCOLORSTATIC while the dialog paints; the sender gets the object's brush.
        d.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        EXPECT_EQ(d.m_static.m_lastType, static_cast<UINT>(CTLCOLOR_STATIC));
        LRESULT brush = d.SendMessage(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(d.m_static.m_hWnd));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), d.m_static.m_brush);

        // WM_NOTIFY: the control's result is the dialog's answer to the sender.
        NMHDR nm{d.m_list.m_hWnd, IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
        EXPECT_EQ(d.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&nm)), 7);

        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace
