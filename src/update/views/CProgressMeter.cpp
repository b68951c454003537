#include "update/views/CProgressMeter.h"

#include "gui/DrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Pellu {

using namespace Mirda;

double CProgressMeter::barWidth(double progress) const {
    return std::floor((m_size.width() - 2) * std::clamp(progress, 0.0, 1.0));
}

void CProgressMeter::setProgress(double progress) {
    if (barWidth(progress) != barWidth(m_progress)) setDirty(true);
    m_progress = std::clamp(progress, 0.0, 1.0);
}

void CProgressMeter::draw(CDrawContext* context) {
    context->setFillColor(CColor{20, 22, 26, 255});
    context->drawRect(m_size, kDrawFilled);
    context->setFillColor(CColor{255, 170, 60, 255});
    context->drawRect(
        CRect::fromSize(m_size.left + 1, m_size.top + 1, barWidth(m_progress), m_size.height() - 2),
        kDrawFilled);
    context->setFrameColor(CColor{92, 98, 110, 255});
    context->drawRect(m_size);
    setDirty(false);
}

bool CProgressMeter::isTypeOf(const char* className) const {
    return std::strcmp(className, "CProgressMeter") == 0 || CView::isTypeOf(className);
}

} // namespace Pellu
