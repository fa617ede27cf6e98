// Small value types in the framework's manner: RECT and POINT with the usual helpers.
#pragma once
#include <windows.h>

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(int ix, int iy) : POINT{ix, iy} {}
    // cppcheck-suppress noExplicitConstructor ; a POINT is a CPoint wherever one is asked for
    CPoint(POINT p) : POINT(p) {}
    explicit CPoint(LPARAM lp) : POINT{(short)LOWORD(lp), (short)HIWORD(lp)} {}
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
    // cppcheck-suppress noExplicitConstructor ; a RECT is a CRect wherever one is asked for
    CRect(const RECT& r) : RECT(r) {}
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool PtInRect(POINT p) const { return ::PtInRect(this, p) != FALSE; }
    bool operator==(const RECT& r) const {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const RECT& r) const { return !(*this == r); }
    operator RECT*() { return this; }
    operator const RECT*() const { return this; }
};
