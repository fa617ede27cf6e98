// Notifications a control sends to its dialog come back to the control's own object.
#include <Framework.h>
#include <WinTest.h>
#include <gtest/gtest.h>

#include "ScriptDlg.h"

namespace {

class CPickCombo : public CComboBox {
public:
    int m_selChanges = 0;
    int m_listColours = 0;

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
    int m_requests = 0;
    UINT m_lastType = 99;

protected:
    HBRUSH OnCtlColor(HDC, UINT type) {
        ++m_requests;
        m_lastType = type;
        return m_brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CColourStatic, CWnd)
    ON_CTLCOLOR_REFLECT(OnCtlColor)
END_MESSAGE_MAP()

class CDrawnButton : public CButton {
public:
    int m_draws = 0;
    void DrawItem(DRAWITEMSTRUCT* dis) override {
        ++m_draws;
        FillRect(dis->hDC, &dis->rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
};

class CRowList : public CListCtrl {
public:
    int m_dblClicks = 0;
    int m_clicks = 0;

protected:
    void OnDblClk(NMHDR*, LRESULT* result) {
        ++m_dblClicks;
        *result = 7;
    }
    void OnClick(NMHDR*, LRESULT*) { ++m_clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRowList, CListCtrl)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
END_MESSAGE_MAP()

class CControlsDlg : public CScriptDlg {
public:
    using CScriptDlg::CScriptDlg;
    CPickCombo m_combo;
    CColourStatic m_static;
    CDrawnButton m_button;
    CRowList m_list;
    int m_parentClicks = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_COMBO, m_combo);
        DDX_Control(pDX, IDC_STATIC_TEXT, m_static);
        DDX_Control(pDX, IDC_OWNERDRAW, m_button);
        DDX_Control(pDX, IDC_LIST, m_list);
    }
    // The parent's own entry for a notification takes it before the control sees it.
    void OnListClick(NMHDR*, LRESULT*) { ++m_parentClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsDlg, CScriptDlg)
    ON_NOTIFY(NM_CLICK, IDC_LIST, OnListClick)
END_MESSAGE_MAP()

TEST(ReflectionTest, NotificationsReachTheControlObjects) {
    Watchdog watchdog(60000);
    bool ran = false;
    CControlsDlg dlg(IDD_CONTROLS, [&](CScriptDlg& base) {
        auto& d = static_cast<CControlsDlg&>(base);
        ran = true;

        // WM_COMMAND: the closed drop-down list changes its selection on the down arrow and
        // tells its parent, which has no entry for it.
        d.m_combo.AddString("one");
        d.m_combo.AddString("two");
        d.m_combo.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        d.m_combo.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(d.m_combo.GetCurSel(), 1);
        EXPECT_EQ(d.m_combo.m_selChanges, 2);

        // WM_DRAWITEM: painting the dialog draws the owner-drawn button through its object.
        d.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        EXPECT_GE(d.m_button.m_draws, 1);

        // WM_CTLCOLORSTATIC: the static asks its parent while painting; the brush the
        // control's object chose is what the sender gets back, directly.
        EXPECT_GE(d.m_static.m_requests, 1);
        EXPECT_EQ(d.m_static.m_lastType, static_cast<UINT>(CTLCOLOR_STATIC));
        HDC dc = GetDC(d.m_static);
        LRESULT brush = d.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                      reinterpret_cast<LPARAM>(d.m_static.m_hWnd));
        ReleaseDC(d.m_static, dc);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), d.m_static.m_brush);

        // WM_NOTIFY: the control's result is the dialog's answer to the sender.
        NMHDR nm{d.m_list.m_hWnd, IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
        EXPECT_EQ(d.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&nm)), 7);
        EXPECT_EQ(d.m_list.m_dblClicks, 1);

        nm.code = static_cast<UINT>(NM_CLICK);
        d.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&nm));
        EXPECT_EQ(d.m_parentClicks, 1);
        EXPECT_EQ(d.m_list.m_clicks, 0);

        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(ran);
}

TEST(ListCtrlTest, ColumnsRowsAndLongTexts) {
    Watchdog watchdog(60000);
    CControlsDlg dlg(IDD_CONTROLS, [&](CScriptDlg& base) {
        auto& list = static_cast<CControlsDlg&>(base).m_list;
        EXPECT_EQ(list.InsertColumn(0, wintest::A("键名"), LVCFMT_LEFT, 60), 0);
        EXPECT_EQ(list.InsertColumn(1, wintest::A("键值位置"), LVCFMT_LEFT, 200), 1);
        list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        EXPECT_EQ(list.SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE) & 0x21, 0x21);

        // Longer than any first guess at a buffer: must come back whole.
        std::string longLocation = "HKEY_CURRENT_USER\\" + std::string(700, 'k') + wintest::A("\\键");
        ASSERT_EQ(list.InsertItem(0, "first"), 0);
        EXPECT_TRUE(list.SetItemText(0, 1, longLocation));
        ASSERT_EQ(list.InsertItem(1, wintest::A("第二")), 1);
        EXPECT_EQ(list.GetItemText(0, 1), longLocation);
        EXPECT_EQ(list.GetItemText(1, 0), wintest::A("第二"));
        std::string out = "stale";
        EXPECT_FALSE(list.GetItemText(2, 0, out)) << "no such row";
        EXPECT_EQ(out, "");

        EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
        LVITEMA select{};
        select.stateMask = select.state = LVIS_SELECTED;
        list.SendMessage(LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
        EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);

        RECT row{LVIR_BOUNDS, 0, 0, 0};
        ASSERT_TRUE(list.SendMessage(LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
        EXPECT_EQ(list.HitTest(POINT{row.left + 5, (row.top + row.bottom) / 2}), 1);
        RECT client;
        list.GetClientRect(&client);
        EXPECT_EQ(list.HitTest(POINT{5, client.bottom - 3}), -1) << "empty space below the rows";
        base.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace
