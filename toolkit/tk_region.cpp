#include "toolkit/tk_region.h"

#include <algorithm>

namespace VeltoTk {

bool RectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT RectIntersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (RectEmpty(r)) {
        r = RECT{0, 0, 0, 0};
    }
    return r;
}

RECT RectUnion(const RECT& a, const RECT& b) {
    if (RectEmpty(a)) {
        return b;
    }
    if (RectEmpty(b)) {
        return a;
    }
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT RectOffset(const RECT& r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

RECT MakeRect(int x, int y, int w, int h) {
    return RECT{x, y, x + w, y + h};
}

void CRegion::Set(const RECT& r) {
    m_rects.clear();
    if (!RectEmpty(r)) {
        m_rects.push_back(r);
    }
}

void CRegion::Intersect(const RECT& r) {
    std::vector<RECT> out;
    for (const RECT& a : m_rects) {
        RECT i = RectIntersect(a, r);
        if (!RectEmpty(i)) {
            out.push_back(i);
        }
    }
    m_rects.swap(out);
}

void CRegion::Subtract(const RECT& s) {
    if (RectEmpty(s)) {
        return;
    }
    std::vector<RECT> out;
    for (const RECT& a : m_rects) {
        RECT i = RectIntersect(a, s);
        if (RectEmpty(i)) {
            out.push_back(a);
            continue;
        }
        // Up to four bands around the cut-out part.
        if (a.top < i.top) {
            out.push_back(RECT{a.left, a.top, a.right, i.top});
        }
        if (i.bottom < a.bottom) {
            out.push_back(RECT{a.left, i.bottom, a.right, a.bottom});
        }
        if (a.left < i.left) {
            out.push_back(RECT{a.left, i.top, i.left, i.bottom});
        }
        if (i.right < a.right) {
            out.push_back(RECT{i.right, i.top, a.right, i.bottom});
        }
    }
    m_rects.swap(out);
}

bool CRegion::Contains(int x, int y) const {
    for (const RECT& r : m_rects) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            return true;
        }
    }
    return false;
}

RECT CRegion::Bounds() const {
    RECT b{0, 0, 0, 0};
    for (const RECT& r : m_rects) {
        b = RectUnion(b, r);
    }
    return b;
}

}  // namespace VeltoTk
