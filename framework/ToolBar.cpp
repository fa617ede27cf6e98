#include "ToolBar.h"

#include <vector>

#include "WinApp.h"

namespace {
const int kBorderBottom = 2;  // the etched line under a bar docked at the top
}

BEGIN_MESSAGE_MAP(CToolBar, CWnd)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
    ON_MESSAGE(WM_NCCALCSIZE, OnNcCalcSize)
    ON_MESSAGE(WM_NCPAINT, OnNcPaint)
END_MESSAGE_MAP()

bool CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, UINT id) {
    if (!parent) return false;
    m_dwBarStyle = style & CBRS_ALL;
    DWORD winStyle = (style & ~CBRS_ALL) | ctrlStyle;
    // The bar is placed by RepositionBars, not by the control's own parent alignment.
    winStyle |= CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    if (m_dwBarStyle & CBRS_TOOLTIPS) winStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, winStyle, 0, 0, 0, 0, parent->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return false;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    // The non-client border is computed from m_dwBarStyle: have the frame recomputed now.
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return true;
}

bool CToolBar::LoadToolBar(UINT id) {
    if (!m_hWnd) return false;
    HINSTANCE inst = AfxGetInstanceHandle();
    HRSRC res = ::FindResourceA(inst, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(RT_TOOLBAR_ID));
    HGLOBAL block = res ? ::LoadResource(inst, res) : nullptr;
    const WORD* data = block ? static_cast<const WORD*>(::LockResource(block)) : nullptr;
    DWORD size = res ? ::SizeofResource(inst, res) : 0;
    if (!data || size < 4 * sizeof(WORD)) return false;
    const WORD version = data[0], width = data[1], height = data[2], count = data[3];
    if (version != 1 || size < (4u + count) * sizeof(WORD)) return false;

    std::vector<UINT> ids(data + 4, data + 4 + count);
    int images = 0;
    for (UINT cmd : ids)
        if (cmd != 0) ++images;
    TBADDBITMAP bitmap{inst, id};
    if (images > 0 && SendMessage(TB_ADDBITMAP, images, reinterpret_cast<LPARAM>(&bitmap)) == -1) return false;
    SetSizes(SIZE{width + 7, height + 7}, SIZE{width, height});
    return SetButtons(ids.data(), static_cast<int>(ids.size()));
}

bool CToolBar::SetButtons(const UINT* ids, int count) {
    while (GetButtonCount() > 0) SendMessage(TB_DELETEBUTTON, 0);
    std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
    int image = 0;
    for (int i = 0; i < count; ++i) {
        TBBUTTON& b = buttons[static_cast<size_t>(i)];
        b = TBBUTTON{};
        b.idCommand = static_cast<int>(ids[i]);
        if (ids[i] == 0) {
            b.fsStyle = TBSTYLE_SEP;
            b.iBitmap = 8;  // separator width
        } else {
            b.fsStyle = TBSTYLE_BUTTON;
            b.fsState = TBSTATE_ENABLED;
            b.iBitmap = image++;
        }
    }
    if (count == 0) return true;
    return SendMessage(TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(image.cx, image.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
}

bool CToolBar::SetImageList(CImageList&& images) {
    if (!m_hWnd || !images.m_hImageList) return false;
    SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.m_hImageList));
    // The control does not destroy image lists: the bar keeps it until it goes itself.
    m_images = std::move(images);
    Invalidate();
    return true;
}

int CToolBar::GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }

SIZE CToolBar::CalcFixedLayout() const {
    SIZE size{0, 0};
    RECT parent{};
    ::GetClientRect(GetParent(), &parent);
    size.cx = parent.right - parent.left;
    // Height of the tallest button row plus the borders the bar draws itself.
    int rowHeight = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    int count = GetButtonCount();
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (SendMessage(TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) && r.bottom > rowHeight) rowHeight = r.bottom;
    }
    size.cy = rowHeight + 2 + ((m_dwBarStyle & CBRS_BORDER_BOTTOM) ? kBorderBottom : 0);
    return size;
}

LRESULT CToolBar::OnSizeParent(WPARAM, LPARAM lParam) {
    auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    if (!layout || !(GetStyle() & WS_VISIBLE) || !(m_dwBarStyle & CBRS_ALIGN_TOP)) return 0;
    SIZE size = CalcFixedLayout();
    RECT& free = layout->rect;
    if (!layout->query)
        ::SetWindowPos(m_hWnd, nullptr, free.left, free.top, free.right - free.left, size.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    free.top += size.cy;
    if (free.top > free.bottom) free.top = free.bottom;
    return 0;
}

LRESULT CToolBar::OnNcCalcSize(WPARAM wParam, LPARAM lParam) {
    LRESULT r = Default();
    if (m_dwBarStyle & CBRS_BORDER_BOTTOM) {
        RECT* rc = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        rc->bottom -= kBorderBottom;
        if (rc->bottom < rc->top) rc->bottom = rc->top;
    }
    return r;
}

LRESULT CToolBar::OnNcPaint(WPARAM, LPARAM) {
    LRESULT r = Default();
    if (m_dwBarStyle & CBRS_BORDER_BOTTOM) {
        HDC dc = ::GetWindowDC(m_hWnd);
        if (dc) {
            RECT win{};
            ::GetWindowRect(m_hWnd, &win);
            RECT line{0, win.bottom - win.top - kBorderBottom, win.right - win.left, win.bottom - win.top};
            ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            ::ReleaseDC(m_hWnd, dc);
        }
    }
    return r;
}
