// The hit areas of the link lines, in document pixel coordinates (origin at the top left of
// line 0 before scrolling). No windows.h: the rectangle has RECT's layout and PtInRect's
// rule (left and top inside, right and bottom outside), so the view converts freely.
//
// Why the right edge may be left open: an area's right edge is the measured width of its
// line's text, and measuring costs a few microseconds a line; a registry export has some
// 700,000 key lines, seconds of measuring before the first paint. So the view may add an
// area with right = LINK_UNMEASURED and hand HitTest/HitAny a measurer; the first hit test
// that reaches the area's row measures it once and keeps the result until Clear.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

struct LinkRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};
struct LinkPoint {
    int32_t x = 0, y = 0;
};

constexpr int32_t LINK_UNMEASURED = INT32_MIN;

struct LinkItem {
    LinkRect rect;
    int32_t line = -1;
};

class CLinkRectList {
public:
    // Gives the right edge of a line's area, given the line index and its left edge.
    using Measurer = std::function<int32_t(int32_t line, const LinkRect& rect)>;

    CLinkRectList() = default;
    virtual ~CLinkRectList();
    CLinkRectList(const CLinkRectList&) = delete;
    CLinkRectList& operator=(const CLinkRectList&) = delete;

    bool Add(const LinkRect& rect, int32_t line);
    void Clear();

    // Areas whose right edge is still open are measured with `measure` when the point lies
    // in their rows; without a measurer such an area is never hit.
    bool HitAny(LinkPoint pt, const Measurer& measure = nullptr);
    int32_t HitTest(LinkPoint pt, const Measurer& measure = nullptr);

    int32_t GetCount() const { return static_cast<int32_t>(m_items.size()); }
    const LinkItem& GetItem(int32_t i) const { return m_items[static_cast<size_t>(i)]; }

private:
    int32_t Find(LinkPoint pt, const Measurer& measure);
    bool Contains(LinkItem& item, LinkPoint pt, const Measurer& measure);

    // A deque: a vector of a million areas would copy itself, and for a moment hold two
    // copies, each time it grows.
    std::deque<LinkItem> m_items;
    // True while every area lies wholly below the one added before it, as the view's one
    // area per line does: a hit test is then a binary search instead of a walk of the list.
    bool m_stacked = true;
};
