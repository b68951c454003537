#include "gui/Control.h"

#include "gui/Frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mirda {

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background)
    : CView(size), m_listener(listener), m_tag(tag) {
    if (background) setBackground(background);
    m_oldValue = m_value == -1.0 ? 0.0f : -1.0f;
}

CControl::CControl(const CControl& other)
    : CView(other), Tessu::ParameterChangeListener(), m_listener(other.m_listener), m_tag(other.m_tag),
      m_defaultValue(other.m_defaultValue), m_value(other.m_value), m_min(other.m_min), m_max(other.m_max),
      m_wheelInc(other.m_wheelInc), m_backOffset(other.m_backOffset) {
    m_oldValue = m_value == -1.0 ? 0.0f : -1.0f;
    bindParameter(other.m_parameter);
    setVisibilitySource(other.m_visibilitySource);
    setActivitySource(other.m_activitySource);
}

CControl::~CControl() {
    unwatch(m_parameter);
    unwatch(m_visibilitySource);
    unwatch(m_activitySource);
    unwatch(m_otherParameter);
}

void CControl::watch(Tessu::ParameterProperty* parameter) {
    if (parameter) parameter->addListener(this, false);
}

void CControl::unwatch(Tessu::ParameterProperty* parameter) {
    // The same parameter may play several roles; keep listening while any role still refers to it.
    if (!parameter) return;
    int roles = (parameter == m_parameter) + (parameter == m_visibilitySource) +
                (parameter == m_activitySource) + (parameter == m_otherParameter);
    if (roles <= 1) parameter->removeListener(this);
}

void CControl::setValue(float value) {
    m_value = value;
}

float CControl::getDefaultValue() const {
    return m_parameter ? m_parameter->getDefaultNormalizedValue() : m_defaultValue;
}

void CControl::bounceValue() {
    m_value = std::clamp(m_value, static_cast<double>(m_min), static_cast<double>(m_max));
}

bool CControl::checkDefaultValue(int32_t buttons) {
    if (buttons != kMButton && buttons != (kLButton | kControl)) return false;
    beginEdit();
    m_value = getDefaultValue();
    bounceValue();
    commitValue();
    endEdit();
    updateReadout();
    setDirty(true);
    return true;
}

void CControl::beginEdit() {
    if (m_listener) m_listener->controlBeginEdit(this);
    if (m_frame) m_frame->beginEdit(this);
}

void CControl::endEdit() {
    if (m_frame) m_frame->endEdit(this);
    if (m_listener) m_listener->controlEndEdit(this);
}

bool CControl::isDirty() const {
    return static_cast<float>(m_value) != m_oldValue || CView::isDirty();
}

void CControl::setDirty(bool dirty) {
    CView::setDirty(dirty);
    // The next isDirty() answers `dirty`: a clean control counts its value as drawn.
    if (dirty)
        m_oldValue = static_cast<float>(m_value) == -1.0f ? 0.0f : -1.0f;
    else
        m_oldValue = static_cast<float>(m_value);
}

void CControl::bindParameter(Tessu::ParameterProperty* parameter) {
    if (parameter == m_parameter) return;
    Tessu::ParameterProperty* old = m_parameter;
    m_parameter = parameter;
    if (old && old != m_visibilitySource && old != m_activitySource && old != m_otherParameter)
        old->removeListener(this);
    watch(parameter);
    if (parameter) onParameterChanged();
}

void CControl::setVisibilitySource(Tessu::ParameterProperty* source) {
    Tessu::ParameterProperty* old = m_visibilitySource;
    m_visibilitySource = source;
    if (old && old != m_parameter && old != m_activitySource && old != m_otherParameter)
        old->removeListener(this);
    watch(source);
    if (source) setVisible(source->getBoolValue());
}

void CControl::setActivitySource(Tessu::ParameterProperty* source) {
    Tessu::ParameterProperty* old = m_activitySource;
    m_activitySource = source;
    if (old && old != m_parameter && old != m_visibilitySource && old != m_otherParameter)
        old->removeListener(this);
    watch(source);
    if (source) setActive(source->getBoolValue());
}

void CControl::parameterChanged(Tessu::IPluginParameter* parameter) {
    uint32_t bits = 0;
    if (parameter == m_parameter) bits |= kBoundChanged;
    if (parameter == m_visibilitySource) bits |= kVisibilityChanged;
    if (parameter == m_activitySource) bits |= kActivityChanged;
    if (parameter == m_otherParameter) bits |= kOtherChanged;
    m_pending.fetch_or(bits, std::memory_order_release);
}

void CControl::applyPendingChanges() {
    const uint32_t bits = m_pending.exchange(0, std::memory_order_acquire);
    if (!bits) return;
    if ((bits & kVisibilityChanged) && m_visibilitySource) setVisible(m_visibilitySource->getBoolValue());
    if ((bits & kActivityChanged) && m_activitySource) setActive(m_activitySource->getBoolValue());
    if ((bits & kOtherChanged) && m_otherParameter) onOtherParameterChanged(m_otherParameter);
    if ((bits & kBoundChanged) && m_parameter) onParameterChanged();
}

void CControl::onParameterChanged() {
    m_value = m_parameter->getNormalizedValue();
    setDirty(true);
}

void CControl::commitValue() {
    if (m_parameter) m_parameter->setNormalizedValue(this, static_cast<float>(std::clamp(m_value, 0.0, 1.0)));
    notifyValueChanged();
}

void CControl::setValueFromGesture(double value, int32_t steps) {
    const double before = m_value;
    m_value = std::clamp(value, 0.0, 1.0);
    bounceValue();
    if (steps > 1) m_value = std::round(m_value * (steps - 1)) / (steps - 1);
    if (m_value != before) commitSteppedValue(steps);
    updateReadout();
    setDirty(true);
}

int32_t CControl::gestureMoved(CKnobGesture& gesture, bool inProgress, CPoint& where, int32_t buttons,
                               int32_t steps) {
    if ((buttons & (kLButton | kRButton)) && inProgress) {
        double v;
        if (gesture.move(where, buttons, m_min, m_max, v)) setValueFromGesture(v, steps);
        return kMouseHandled;
    }
    return hoverReadout(where, buttons);
}

int32_t CControl::gestureUp(bool& inProgress, CPoint& where, int32_t buttons) {
    // Only a drag that began an edit ends one: the host never sees an end without its begin.
    if (inProgress) endEdit();
    if (!hitTest(where, buttons)) onMouseExited(where, buttons);
    inProgress = false;
    return kMouseHandled;
}

void CControl::commitSteppedValue(int32_t steps) {
    if (steps > 1 && m_parameter) {
        const double k = std::round(m_value * (steps - 1));
        m_parameter->setValue(this, static_cast<float>(k + m_parameter->getMinimum()));
        notifyValueChanged();
    } else {
        commitValue();
    }
}

bool CControl::wheelStep(const CPoint& where, float distance, int32_t buttons, int32_t steps) {
    if (!m_mouseEnabled || !m_active || !hitTest(where, buttons)) return false;
    if (steps > 1) {
        // Each notch is one step: a fraction of the range would round back to where it started.
        const double rounded = std::round(static_cast<double>(distance));
        const double notches = distance > 0 ? std::max(1.0, rounded) : std::min(-1.0, rounded);
        const double step = std::clamp(std::round(m_value * (steps - 1)) + notches, 0.0, steps - 1.0);
        m_value = step / (steps - 1);
    } else {
        m_value += distance * ((buttons & kShift) ? m_wheelInc * 0.1 : m_wheelInc);
    }
    bounceValue();
    beginEdit();
    commitSteppedValue(steps);
    endEdit();
    updateReadout();
    setDirty(true);
    return true;
}

void CControl::notifyValueChanged() {
    if (m_listener) m_listener->valueChanged(this);
}

std::string CControl::getReadoutText() const {
    if (!m_parameter) return {};
    char text[256] = {};
    m_parameter->formatValue(m_parameter->getValue(), text, Tessu::kFormatWithName | Tessu::kFormatWithUnit);
    return text;
}

void CControl::updateReadout() {
    if (m_frame && m_parameter) m_frame->showReadout(this);
}

int32_t CControl::hoverReadout(const CPoint& where, int32_t buttons) {
    if (!hitTest(where, buttons)) return kMouseNotHandled;
    updateReadout();
    return kMouseHandled;
}

bool CControl::isTypeOf(const char* className) const {
    return std::strcmp(className, "CControl") == 0 || CView::isTypeOf(className);
}

} // namespace Mirda
