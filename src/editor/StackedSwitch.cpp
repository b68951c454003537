#include "editor/StackedSwitch.h"

#include "gui/Bitmap.h"
#include "gui/Frame.h"

#include <cstring>

using namespace Mirda;

CStackedSwitch::CStackedSwitch(const CRect& size, int32_t tag, CBitmap* bitmap)
    : CControl(size, nullptr, tag, bitmap) {}

void CStackedSwitch::draw(CDrawContext* context) {
    if (m_background)
        m_background->draw(context, m_size, CPoint(0, isOn() ? m_background->getHeight() / 2 : 0));
    setDirty(false);
}

int32_t CStackedSwitch::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseNotHandled;
    beginEdit();
    m_value = isOn() ? 0.0 : 1.0;
    commitValue();
    endEdit();
    updateReadout();
    setDirty(true);
    return kMouseHandledNoFollow;
}

bool CStackedSwitch::isTypeOf(const char* className) const {
    return std::strcmp(className, "CStackedSwitch") == 0 || CControl::isTypeOf(className);
}
