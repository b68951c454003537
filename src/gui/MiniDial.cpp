#include "gui/MiniDial.h"

#include "gui/DrawContext.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace Mirda {

Mirda_MiniDial::Mirda_MiniDial(const CRect& size, CControlListener* listener, int32_t tag,
                               CBitmap* background)
    : CControl(size, listener, tag, background) {
    m_gesture.dragRange = 200;
}

void Mirda_MiniDial::setColors(const CColor& track, const CColor& value) {
    m_trackColor = track;
    m_valueColor = value;
    setDirty(true);
}

void Mirda_MiniDial::draw(CDrawContext* context) {
    CView::draw(context);
    const double side = std::min(m_size.width(), m_size.height());
    CRect ring = CRect::fromSize(m_size.left + (m_size.width() - side) / 2,
                                 m_size.top + (m_size.height() - side) / 2, side, side);
    ring.inset(1.5, 1.5);
    context->setLineWidth(3);
    context->setFrameColor(m_trackColor);
    context->drawArc(ring, 135, 405);
    context->setFrameColor(m_valueColor);
    if (getValue() > 0) context->drawArc(ring, 135, 135 + 270 * getValue());
    const double angle = (135 + 270 * getValue()) * std::numbers::pi / 180;
    const double cx = (ring.left + ring.right) / 2, cy = (ring.top + ring.bottom) / 2,
                 r = ring.width() / 2 - 5;
    context->setFillColor(m_valueColor);
    context->drawEllipse(CRect(cx + std::cos(angle) * r - 2, cy + std::sin(angle) * r - 2,
                               cx + std::cos(angle) * r + 2, cy + std::sin(angle) * r + 2),
                         kDrawFilled);
    context->setLineWidth(1);
    setDirty(false);
}

int32_t Mirda_MiniDial::onMouseDown(CPoint& where, int32_t buttons) {
    m_mouseDownInProgress = true;
    // A double click carries 0x400, so it never counts as a reset click.
    if (checkDefaultValue(buttons)) {
        m_mouseDownInProgress = false;
        return kMouseHandledNoFollow;
    }
    if ((buttons & kLButton) && m_parameter && m_parameter->getUnitKind() == Tessu::kUnitOnOff) {
        beginEdit();
        m_value = m_parameter->getBoolValue() ? 0.0 : 1.0;
        m_parameter->setValue(this, m_value > 0 ? m_parameter->getMaximum() : m_parameter->getMinimum());
        notifyValueChanged();
        endEdit();
        updateReadout();
        setDirty(true);
        m_mouseDownInProgress = false;
        return kMouseHandledNoFollow;
    }
    beginEdit();
    m_gesture.begin(where, buttons, m_value, m_min, m_max);
    onMouseMoved(where, buttons);
    return kMouseHandled;
}

int32_t Mirda_MiniDial::onMouseMoved(CPoint& where, int32_t buttons) {
    return gestureMoved(m_gesture, m_mouseDownInProgress, where, buttons, 0);
}

int32_t Mirda_MiniDial::onMouseUp(CPoint& where, int32_t buttons) {
    return gestureUp(m_mouseDownInProgress, where, buttons);
}

bool Mirda_MiniDial::onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) {
    if (axis != 0) return false; // horizontal scrolling does not turn dials
    return wheelStep(where, distance, buttons, 0);
}

bool Mirda_MiniDial::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_MiniDial") == 0 || CControl::isTypeOf(className);
}

} // namespace Mirda
