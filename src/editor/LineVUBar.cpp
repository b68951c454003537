#include "editor/LineVUBar.h"

#include "editor/ScreenLayer.h"
#include "gui/DrawContext.h"

#include <cmath>

namespace Mirda {

namespace {

constexpr CColor kDark{34, 40, 48, 255};
constexpr CColor kPeak{236, 240, 246, 255};

// Green up to −12 dB, amber up to 0 dB, red above.
CColor litColor(double dB) {
    if (dB > 0.0) return {255, 78, 60, 255};
    if (dB > -12.0) return {255, 196, 64, 255};
    return {92, 220, 132, 255};
}

} // namespace

CLineVUBar::CLineVUBar(const CRect& size, double scale) : CView(size), m_scale(scale) {}

void CLineVUBar::update(double left, double right, double nowMs) {
    m_channels[0].update(left, nowMs);
    m_channels[1].update(right, nowMs);
    setDirty(true);
}

void CLineVUBar::draw(CDrawContext* context) {
    const double pitch = 2.0 * m_scale;
    const int segments = int(m_size.height() / pitch);
    const double halfWidth = std::floor(m_size.width() / 2 - 1.1 * m_scale);
    const double span = CLevelMeterChannel::kTopDb - CLevelMeterChannel::kBottomDb;
    // Segment lines of 0.75 pixel at 100 %, drawn as whole pixel rows.
    const double thickness = std::max(1.0, std::round(0.75 * m_scale));
    for (int side = 0; side < 2; ++side) {
        const CLevelMeterChannel& channel = m_channels[size_t(side)];
        const double lit = CLevelMeterChannel::litFraction(channel.levelDb()) * segments;
        const int peak = channel.peakDb() > CLevelMeterChannel::kBottomDb
                             ? int(CLevelMeterChannel::litFraction(channel.peakDb()) * segments - 0.5)
                             : -1;
        const double left = side == 0 ? m_size.left : m_size.right - halfWidth;
        for (int k = 0; k < segments; ++k) {
            const double y = std::round(m_size.bottom - (k + 1) * pitch);
            const double dB = CLevelMeterChannel::kBottomDb + (k + 0.5) / segments * span;
            fillOpaque(context, CRect(left, y, left + halfWidth, y + thickness),
                       k == peak ? kPeak
                       : k < lit ? litColor(dB)
                                 : kDark);
        }
    }
    setDirty(false);
}

} // namespace Mirda
