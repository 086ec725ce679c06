// A clip region: a set of non-overlapping rectangles in screen coordinates.
#pragma once

#include <vector>

#include "toolkit/winapi.h"

namespace VeltoTk {

bool RectEmpty(const RECT& r);
RECT RectIntersect(const RECT& a, const RECT& b);
RECT RectUnion(const RECT& a, const RECT& b);
RECT RectOffset(const RECT& r, int dx, int dy);
RECT MakeRect(int x, int y, int w, int h);

class CRegion {
public:
    CRegion() = default;
    explicit CRegion(const RECT& r) { Set(r); }

    void Set(const RECT& r);
    void Clear() { m_rects.clear(); }
    // Keeps only the parts inside r.
    void Intersect(const RECT& r);
    // Removes r.
    void Subtract(const RECT& r);
    bool Empty() const { return m_rects.empty(); }
    bool Contains(int x, int y) const;
    RECT Bounds() const;
    const std::vector<RECT>& Rects() const { return m_rects; }

private:
    std::vector<RECT> m_rects;
};

}  // namespace VeltoTk
