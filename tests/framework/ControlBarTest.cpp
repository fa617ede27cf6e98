// The toolbar as a control bar: buttons from a toolbar resource, and the layout that makes
// room for it in a dialog.
#include <Framework.h>
#include <gtest/gtest.h>

#include <vector>

#include "ScriptDlg.h"

namespace {

TEST(ControlBarTest, LoadToolBarReadsButtonsFromItsResourceType) {
    Watchdog watchdog(60000);
    CScriptDlg dlg(IDD_CONTROLS, [](CScriptDlg& d) {
        CToolBar bar;
        ASSERT_TRUE(bar.CreateEx(&d, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS));
        EXPECT_EQ(bar.GetDlgCtrlID(), AFX_IDW_TOOLBAR);
        EXPECT_TRUE(bar.GetStyle() & TBSTYLE_TOOLTIPS);
        ASSERT_TRUE(bar.LoadToolBar(IDR_TESTBAR));
        std::vector<UINT> ids;
        for (int i = 0; i < bar.GetButtonCount(); ++i) ids.push_back(bar.GetItemID(i));
        EXPECT_EQ(ids, (std::vector<UINT>{ID_BOTH, 0, ID_FRAME_ONLY, ID_VIEW_ONLY}));

        CToolBar bad;
        ASSERT_TRUE(bad.CreateEx(&d, TBSTYLE_FLAT, WS_CHILD | CBRS_TOP, AFX_IDW_TOOLBAR + 1));
        EXPECT_FALSE(bad.LoadToolBar(IDR_BADBAR)) << "unknown layout version";
        EXPECT_FALSE(bad.LoadToolBar(999)) << "no such resource";
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST(ControlBarTest, RepositionBarsQueriesThenPlacesTheBarAtTheTop) {
    Watchdog watchdog(60000);
    CScriptDlg dlg(IDD_CONTROLS, [](CScriptDlg& d) {
        CToolBar bar;
        ASSERT_TRUE(bar.CreateEx(&d, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS));
        ASSERT_TRUE(bar.LoadToolBar(IDR_TESTBAR));
        CImageList images;
        ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 2));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.Attach(static_cast<HBITMAP>(LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_TESTBAR),
                                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
        EXPECT_EQ(images.Add(bitmap, RGB(0, 128, 128)), 0);
        HIMAGELIST handle = images.m_hImageList;
        ASSERT_TRUE(bar.SetImageList(std::move(images)));
        EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST)), handle);

        CRect client, remaining;
        d.GetClientRect(&client);
        CRect before;
        bar.GetWindowRect(&before);
        d.RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0, CWnd::reposQuery, &remaining);
        CRect after;
        bar.GetWindowRect(&after);
        EXPECT_EQ(after, before) << "a query moves nothing";
        EXPECT_EQ(remaining.left, client.left);
        EXPECT_EQ(remaining.right, client.right);
        EXPECT_EQ(remaining.bottom, client.bottom);
        EXPECT_GE(remaining.top, 16 + 7) << "at least one row of 16-pixel buttons";
        EXPECT_LT(remaining.top, client.bottom);

        d.RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0);
        bar.GetWindowRect(&after);
        d.ScreenToClient(&after);
        EXPECT_EQ(after.top, 0);
        EXPECT_EQ(after.Width(), client.Width());
        EXPECT_EQ(after.bottom, remaining.top) << "the bar takes exactly the strip the query reported";
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace
