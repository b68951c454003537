#include "gui/Knob.h"

#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/Frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace Mirda {

CKnob::CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CControl(size, listener, tag, background) {}

void CKnob::setDetent(bool on, float center, float halfWidth) {
    m_gesture.detent = on;
    m_gesture.detentCenter = center;
    m_gesture.detentHalfWidth = halfWidth;
}

void CKnob::setColors(const CColor& body, const CColor& handle) {
    m_bodyColor = body;
    m_handleColor = handle;
    setDirty(true);
}

void CKnob::draw(CDrawContext* context) {
    CView::draw(context);
    if (!m_background) {
        // Without artwork: a round body with a pointer over 270 degrees, starting at seven o'clock.
        CRect body = m_size;
        const double side = std::min(body.width(), body.height());
        body = CRect::fromSize(m_size.left + (m_size.width() - side) / 2,
                               m_size.top + (m_size.height() - side) / 2, side, side);
        body.inset(2, 2);
        context->setFillColor(m_bodyColor);
        context->setFrameColor(m_handleColor);
        context->setLineWidth(1.5);
        context->drawEllipse(body, kDrawFilledAndStroked);
        const double angle = (135.0 + 270.0 * getValue()) * std::numbers::pi / 180.0;
        const double cx = (body.left + body.right) / 2, cy = (body.top + body.bottom) / 2;
        const double r = body.width() / 2 - 3;
        context->setFrameColor(m_handleColor);
        context->setLineWidth(2.5);
        context->drawLine(
            CPoint(cx + std::cos(angle) * r * 0.25 - 0.5, cy + std::sin(angle) * r * 0.25 - 0.5),
            CPoint(cx + std::cos(angle) * r - 0.5, cy + std::sin(angle) * r - 0.5));
        context->setLineWidth(1);
    }
    setDirty(false);
}

int32_t CKnob::onMouseDown(CPoint& where, int32_t buttons) {
    m_mouseDownInProgress = true;
    if (checkDefaultValue(buttons)) {
        m_mouseDownInProgress = false;
        return kMouseHandledNoFollow;
    }
    beginEdit();
    m_gesture.begin(where, buttons, m_value, m_min, m_max);
    onMouseMoved(where, buttons);
    updateReadout(); // a press shows the value before any move
    return kMouseHandled;
}

int32_t CKnob::onMouseMoved(CPoint& where, int32_t buttons) {
    return gestureMoved(m_gesture, m_mouseDownInProgress, where, buttons, m_steps);
}

int32_t CKnob::onMouseUp(CPoint& where, int32_t buttons) {
    return gestureUp(m_mouseDownInProgress, where, buttons);
}

bool CKnob::onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) {
    if (axis != 0) return false; // horizontal scrolling does not turn dials
    return wheelStep(where, distance, buttons, m_steps);
}

int32_t CKnob::onKeyDown(VstKeyCode& keyCode) {
    // Arrow keys move a knob that holds the keyboard focus.
    if (!m_frame || m_frame->getFocusView() != this) return -1;
    if (keyCode.virt != VKEY_UP && keyCode.virt != VKEY_DOWN) return -1;
    const float notch = keyCode.virt == VKEY_UP ? 1.0f : -1.0f;
    wheelStep(m_size.topLeft(), notch, (keyCode.modifier & MODIFIER_SHIFT) ? kShift : 0, m_steps);
    return 1;
}

bool CKnob::hitTest(const CPoint& where, int32_t buttons) const {
    if (!CControl::hitTest(where, buttons)) return false;
    const double radius = std::min(m_size.width(), m_size.height()) / 2;
    const double dx = where.x - (m_size.left + m_size.right) / 2,
                 dy = where.y - (m_size.top + m_size.bottom) / 2;
    return dx * dx + dy * dy <= radius * radius;
}

void CKnob::onParameterChanged() {
    if (m_steps > 1)
        m_value = std::round(m_parameter->getValue() - m_parameter->getMinimum()) / (m_steps - 1);
    else
        m_value = m_parameter->getNormalizedValue();
    setDirty(true);
}

bool CKnob::isTypeOf(const char* className) const {
    return std::strcmp(className, "CKnob") == 0 || CControl::isTypeOf(className);
}

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount,
                     double frameHeight, CBitmap* background)
    : CKnob(size, listener, tag, background), m_frameCount(frameCount), m_frameHeight(frameHeight) {}

int32_t CAnimKnob::currentFrame() const {
    if (m_value < 0 || m_frameCount <= 0) return 0;
    const double v = m_inverse ? 1.0 - m_value : m_value;
    return std::clamp(static_cast<int32_t>(std::floor(v * (m_frameCount - 1))), 0, m_frameCount - 1);
}

void CAnimKnob::draw(CDrawContext* context) {
    if (m_background) {
        const CPoint source(0, currentFrame() * m_frameHeight);
        if (m_transparent)
            m_background->drawTransparent(context, m_size, source);
        else
            m_background->draw(context, m_size, source);
    }
    setDirty(false);
}

bool CAnimKnob::isTypeOf(const char* className) const {
    return std::strcmp(className, "CAnimKnob") == 0 || CKnob::isTypeOf(className);
}

void Mirda_AnimKnob::setSecondParameter(Tessu::ParameterProperty* parameter) {
    unwatch(m_otherParameter);
    m_otherParameter = parameter;
    watch(parameter);
    if (parameter) m_secondValue = parameter->getValue();
}

void Mirda_AnimKnob::onOtherParameterChanged(Tessu::ParameterProperty* parameter) {
    m_secondValue = parameter->getValue();
    setDirty(true);
}

bool Mirda_AnimKnob::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_AnimKnob") == 0 || CAnimKnob::isTypeOf(className);
}

} // namespace Mirda
