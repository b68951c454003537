#include "editor/ScreenLayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mirda {

namespace {

constexpr CColor kScreenTop{15, 20, 27, 255};
constexpr CColor kScreenBottom{8, 10, 14, 255};

CColor screenColorAt(double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto mix = [t](uint8_t a, uint8_t b) { return uint8_t(std::lround(a + (b - a) * t)); };
    return {mix(kScreenTop.red, kScreenBottom.red), mix(kScreenTop.green, kScreenBottom.green),
            mix(kScreenTop.blue, kScreenBottom.blue), 255};
}

} // namespace

void paintScreen(CDrawContext* context, const CRect& area, const CRect& screen) {
    const double height = std::max(screen.height(), 1.0);
    context->fillVerticalGradient(area, screenColorAt((area.top - screen.top) / height),
                                  screenColorAt((area.bottom - screen.top) / height));
}

namespace {

struct PixelSpan {
    long x0, y0, x1, y1;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// `rect` moved by the context offset and cut to the clip rect and the buffer.
PixelSpan visiblePart(CDrawContext* context, const CRect& rect, long width, long height) {
    const CPoint offset = context->getOffset();
    const CRect& clip = context->getClipRect();
    const CPixelBuffer& target = context->getBuffer();
    const long left = std::lround(rect.left + offset.x), top = std::lround(rect.top + offset.y);
    return {std::max({left, std::lround(clip.left), 0L}), std::max({top, std::lround(clip.top), 0L}),
            std::min({left + width, std::lround(clip.right), long(target.width)}),
            std::min({top + height, std::lround(clip.bottom), long(target.height)})};
}

} // namespace

void fillOpaque(CDrawContext* context, const CRect& rect, const CColor& color) {
    const CPixelBuffer& target = context->getBuffer();
    if (!target.isValid()) return;
    const PixelSpan span = visiblePart(context, rect, std::lround(rect.width()), std::lround(rect.height()));
    if (span.empty()) return;
    const uint8_t bgra[4] = {color.blue, color.green, color.red, 255};
    uint32_t pixel;
    std::memcpy(&pixel, bgra, 4);
    for (long y = span.y0; y < span.y1; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(target.row(int32_t(y)));
        std::fill(row + span.x0, row + span.x1, pixel);
    }
}

void copyOpaque(CDrawContext* context, const CPixelBuffer& layer, const CRect& where) {
    const CPixelBuffer& target = context->getBuffer();
    if (!layer.isValid() || !target.isValid()) return;
    const PixelSpan span = visiblePart(context, where, layer.width, layer.height);
    if (span.empty()) return;
    const long left = std::lround(where.left + context->getOffset().x);
    const long top = std::lround(where.top + context->getOffset().y);
    for (long y = span.y0; y < span.y1; ++y)
        std::memcpy(target.row(int32_t(y)) + span.x0 * 4, layer.row(int32_t(y - top)) + (span.x0 - left) * 4,
                    size_t(span.x1 - span.x0) * 4);
}

} // namespace Mirda
