#include "gui/DirtyRectHelper.h"

#include <algorithm>

namespace Mirda {

void CDirtyRectHelper::add(const CRect& rect, const CRect& fullArea) {
    if (rect.isEmpty()) return;
    if (std::any_of(m_rects.begin(), m_rects.end(), [&](const CRect& r) { return r.rectInside(rect); }))
        return;
    if (m_rects.size() >= kMaxRects) {
        m_rects.assign(1, fullArea);
        return;
    }
    m_rects.push_back(rect);
}

std::vector<CRect> CDirtyRectHelper::take() {
    std::vector<CRect> out;
    out.swap(m_rects);
    return out;
}

} // namespace Mirda
