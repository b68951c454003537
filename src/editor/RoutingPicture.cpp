#include "editor/RoutingPicture.h"

#include "editor/ScreenLayer.h"
#include "gui/DrawContext.h"

using namespace Mirda;

CRoutingPicture::CRoutingPicture(const CRect& size, double scale) : CControl(size), m_scale(scale) {
    m_mouseEnabled = false;
}

void CRoutingPicture::draw(CDrawContext* context) {
    const double s = m_scale, cx = (m_size.left + m_size.right) / 2;
    const double top = m_size.top + 4 * s, bottom = m_size.bottom - 2 * s;
    const auto path = [&](std::initializer_list<CPoint> points, const CColor& color) {
        context->setFrameColor(color);
        context->drawPolygon(points.begin(), int32_t(points.size()), kDrawStroked, false);
    };
    context->setLineWidth(2.0 * s);
    if (isParallel()) {
        // Each filter keeps its own side: the low-pass falls, the high-pass rises, and they cross.
        path({{cx - 36 * s, top}, {cx - 12 * s, top}, {cx + 10 * s, bottom}}, withAlpha(kLowPassColor, 210));
        path({{cx - 10 * s, bottom}, {cx + 12 * s, top}, {cx + 36 * s, top}}, withAlpha(kHighPassColor, 210));
    } else {
        // One pass band: through the high-pass, then through the low-pass.
        path({{cx - 34 * s, bottom}, {cx - 16 * s, top}}, withAlpha(kHighPassColor, 210));
        path({{cx - 16 * s, top}, {cx + 16 * s, top}}, CColor{235, 222, 200, 190});
        path({{cx + 16 * s, top}, {cx + 34 * s, bottom}}, withAlpha(kLowPassColor, 210));
    }
    context->setLineWidth(1.0);
    setDirty(false);
}
