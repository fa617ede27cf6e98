#include "Gdi.h"

#include "WinApp.h"
#include "Wnd.h"

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                       BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, const char* faceName) {
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                outPrecision, clipPrecision, quality, pitchAndFamily, faceName));
}

bool CBitmap::LoadBitmap(UINT id) { return Attach(::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id))); }

// ---- CDC -----------------------------------------------------------------------------------

CDC::~CDC() {
    RestoreSelections();
    if (m_ownsDC && m_hDC) ::DeleteDC(m_hDC);
}

void CDC::RestoreSelections() {
    if (m_savedState && m_hDC) ::RestoreDC(m_hDC, m_savedState);
    m_savedState = 0;
}

bool CDC::CreateCompatibleDC(HDC dc) {
    if (m_hDC) return false;
    m_hDC = ::CreateCompatibleDC(dc);
    m_ownsDC = m_hDC != nullptr;
    return m_ownsDC;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    if (!m_hDC || !object) return nullptr;
    // One saved state covers every selection (and colour) change made through this object;
    // restoring it gives the DC back exactly as it came, whatever order things were selected.
    if (!m_savedState) m_savedState = ::SaveDC(m_hDC);
    return ::SelectObject(m_hDC, object);
}

COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
int CDC::DrawText(const char* text, int length, RECT* rect, UINT format) {
    return ::DrawTextA(m_hDC, text, length, rect, format);
}
bool CDC::GetTextMetrics(TEXTMETRICA* tm) const { return ::GetTextMetricsA(m_hDC, tm) != FALSE; }
void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}
bool CDC::StretchBlt(int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, cx, cy, src, xSrc, ySrc, cxSrc, cySrc, rop) != FALSE;
}
bool CDC::DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon) != FALSE; }

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() {
    RestoreSelections();
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { m_hDC = ::GetDC(m_hWnd); }

CClientDC::~CClientDC() {
    RestoreSelections();
    if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

int AfxGetScreenDpi() {
    static const int dpi = [] {
        HDC screen = ::GetDC(nullptr);
        const int read = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ::ReleaseDC(nullptr, screen);
        return read > 0 ? read : 96;
    }();
    return dpi;
}
