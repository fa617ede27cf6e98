// GDI objects and device contexts. Objects own their handle (move-only; a handle is
// deleted once, by its owner). Device contexts restore every selection made through them
// when they go out of scope, before the DC is released or deleted.
//
//   CPaintDC dc(this);
//   dc.SelectObject(m_fontLink);      // undone when dc goes
//   dc.SetTextColor(RGB(0, 0, 255));
//   dc.DrawText(text, len, &rect, DT_SINGLELINE);
#pragma once
#include <windows.h>

#include <string>

class CWnd;

template <class H>
class CGdiHandle {
public:
    CGdiHandle() = default;
    ~CGdiHandle() { DeleteObject(); }
    CGdiHandle(CGdiHandle&& o) noexcept : m_hObject(o.m_hObject) { o.m_hObject = nullptr; }
    CGdiHandle& operator=(CGdiHandle&& o) noexcept {
        if (this != &o) {
            DeleteObject();
            m_hObject = o.m_hObject;
            o.m_hObject = nullptr;
        }
        return *this;
    }
    CGdiHandle(const CGdiHandle&) = delete;
    CGdiHandle& operator=(const CGdiHandle&) = delete;

    H m_hObject = nullptr;
    operator H() const { return m_hObject; }
    bool Attach(H h) {
        DeleteObject();
        m_hObject = h;
        return h != nullptr;
    }
    bool DeleteObject() {
        if (m_hObject == nullptr) return false;
        ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return true;
    }
};

class CFont : public CGdiHandle<HFONT> {
public:
    bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                    BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, const char* faceName);
};

class CBitmap : public CGdiHandle<HBITMAP> {
public:
    bool LoadBitmap(UINT id);  // from the application's resources
};

// A device context, borrowed (CDC(hdc): e.g. DRAWITEMSTRUCT::hDC) or owned by a derived
// class. Selections through SelectObject are undone in the destructor.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }

    // A memory DC compatible with `dc` (null: the screen), deleted with this object.
    bool CreateCompatibleDC(HDC dc);

    HGDIOBJ SelectObject(HGDIOBJ object);  // returns the previous object, null on failure
    COLORREF SetTextColor(COLORREF color);
    int DrawText(const char* text, int length, RECT* rect, UINT format);
    bool GetTextMetrics(TEXTMETRICA* tm) const;
    void FillSolidRect(const RECT& rect, COLORREF color);
    bool StretchBlt(int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD rop);
    bool DrawIcon(int x, int y, HICON icon);

protected:
    void RestoreSelections();  // derived destructors call it before giving the DC back

private:
    int m_savedState = 0;  // SaveDC level taken at the first selection
    bool m_ownsDC = false;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);  // null: the screen
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// Display scaling. Both programs are system-DPI aware (their manifests say so), so Windows
// leaves every size of our own as given: each is a size at 96 pixels per inch, scaled here.
// The screen's DPI is read once; a change of scale takes effect at the next start, as it
// does for the dialog templates.
int AfxGetScreenDpi();
inline int AfxScalePixels(int pixelsAt96) { return ::MulDiv(pixelsAt96, AfxGetScreenDpi(), 96); }
