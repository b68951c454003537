#pragma once
// The frame's list of rectangles waiting to be repainted.

#include "gui/Geometry.h"

#include <vector>

namespace Mirda {

class CDirtyRectHelper {
public:
    static constexpr size_t kMaxRects = 64;

    // Adds `rect` unless it equals or lies inside a listed rect. When the list is full the whole
    // frame (`fullArea`) replaces it.
    void add(const CRect& rect, const CRect& fullArea);
    bool isEmpty() const { return m_rects.empty(); }
    const std::vector<CRect>& rects() const { return m_rects; }
    std::vector<CRect> take();
    void clear() { m_rects.clear(); }

private:
    std::vector<CRect> m_rects;
};

} // namespace Mirda
