// A toolbar docked as a control bar: created at run time, buttons from a toolbar resource
// (type RT_TOOLBAR_ID), laid out with CWnd::RepositionBars.
//
//   m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS);
//   m_toolBar.LoadToolBar(IDR_MANAGER_TOOLBAR);    // buttons, sizes, the bitmap of that id
//   m_toolBar.SetImageList(std::move(images));     // the bar keeps the image list
//   RepositionBars(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST, 0, reposQuery, &rc);
//
// Tooltip texts are asked of the bar's parent with TTN_NEEDTEXTA (idFrom = command id):
//   ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0, 0xFFFF, OnToolTipText)
#pragma once
#include "ImageList.h"
#include "Wnd.h"

// Bar styles (kept by the bar, not given to the window).
#define CBRS_TOOLTIPS      0x0010L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_ALIGN_TOP     0x2000L
#define CBRS_TOP           (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_ALL           0x0040FFFFL

#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST  0xE8FF

class CToolBar : public CWnd {
public:
    // ctrlStyle: TBSTYLE_*; style: WS_* plus CBRS_*.
    bool CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP,
                  UINT id = AFX_IDW_TOOLBAR);
    // Buttons and sizes from toolbar resource `id`, images from bitmap `id`.
    bool LoadToolBar(UINT id);
    // TB_SETIMAGELIST; the bar owns the list from now on.
    bool SetImageList(CImageList&& images);
    // TB_SETBITMAPSIZE and TB_SETBUTTONSIZE: for pictures of another size than the resource's.
    void SetSizes(SIZE button, SIZE image);
    int GetButtonCount() const;
    SIZE CalcFixedLayout() const;  // the bar's size when docked at the top of its parent

protected:
    LRESULT OnSizeParent(WPARAM, LPARAM);
    LRESULT OnNcCalcSize(WPARAM, LPARAM);
    LRESULT OnNcPaint(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    bool SetButtons(const UINT* ids, int count);  // 0 = separator
    DWORD m_dwBarStyle = 0;
    CImageList m_images;
};
