#include "LinkRectList.h"

#include <algorithm>
#include <new>

CLinkRectList::~CLinkRectList() = default;

bool CLinkRectList::Add(const LinkRect& rect, int32_t line) {
    try {
        m_items.push_back(LinkItem{rect, line});
    } catch (const std::bad_alloc&) { return false; }
    if (rect.top > rect.bottom) {
        m_stacked = false;
    } else if (m_items.size() > 1) {
        const LinkRect& prev = m_items[m_items.size() - 2].rect;
        if (rect.top < prev.bottom) m_stacked = false;
    }
    return true;
}

void CLinkRectList::Clear() {
    std::deque<LinkItem>().swap(m_items);
    m_stacked = true;
}

bool CLinkRectList::Contains(LinkItem& item, LinkPoint pt, const Measurer& measure) {
    LinkRect& r = item.rect;
    if (pt.y < r.top || pt.y >= r.bottom || pt.x < r.left) return false;
    if (r.right == LINK_UNMEASURED) {
        if (!measure) return false;
        r.right = measure(item.line, r);  // once: kept until Clear
        if (r.right == LINK_UNMEASURED) r.right = r.left;
    }
    return pt.x < r.right;
}

int32_t CLinkRectList::Find(LinkPoint pt, const Measurer& measure) {
    if (m_stacked) {
        // Rows do not overlap and go down the list: only the last area starting at or
        // above the point can hold it.
        auto it = std::upper_bound(m_items.begin(), m_items.end(), pt.y,
                                   [](int32_t y, const LinkItem& item) { return y < item.rect.top; });
        if (it == m_items.begin()) return -1;
        --it;
        return Contains(*it, pt, measure) ? static_cast<int32_t>(it - m_items.begin()) : -1;
    }
    for (size_t i = 0; i < m_items.size(); ++i)
        if (Contains(m_items[i], pt, measure)) return static_cast<int32_t>(i);
    return -1;
}

bool CLinkRectList::HitAny(LinkPoint pt, const Measurer& measure) { return Find(pt, measure) >= 0; }

int32_t CLinkRectList::HitTest(LinkPoint pt, const Measurer& measure) {
    const int32_t i = Find(pt, measure);
    return i < 0 ? -1 : m_items[static_cast<size_t>(i)].line;
}
