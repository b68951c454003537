#include "gui/Buttons.h"

#include "gui/Animation.h"
#include "gui/Bitmap.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Mirda {
namespace {

const CColor kLedOff{50, 54, 60, 255};
const CColor kLedOn{255, 170, 60, 255};

// An LED without artwork: a dark disc, and the lit disc over it at `opacity`.
void drawLed(CDrawContext* context, const CRect& rect, int32_t opacity, bool inactive) {
    CRect led = rect;
    const double side = std::min(led.width(), led.height());
    led =
        CRect::fromSize(led.left + (led.width() - side) / 2, led.top + (led.height() - side) / 2, side, side);
    led.inset(1, 1);
    CColor off = kLedOff;
    if (inactive) off.alpha = 60;
    context->setFillColor(off);
    context->drawEllipse(led, kDrawFilled);
    CColor on = kLedOn;
    on.alpha = static_cast<uint8_t>(std::clamp(inactive ? opacity / 4 : opacity, 0, 255));
    context->setFillColor(on);
    context->drawEllipse(led, kDrawFilled);
}

} // namespace

Mirda_ActionButton::Mirda_ActionButton(const CRect& size, CControlListener* listener, int32_t tag,
                                       CBitmap* offBitmap, CBitmap* onBitmap, int32_t mode)
    : CControl(size, listener, tag), m_mode(mode) {
    swapReference(m_offBitmap, offBitmap);
    swapReference(m_onBitmap, onBitmap);
}

Mirda_ActionButton::~Mirda_ActionButton() {
    swapReference<CBitmap>(m_offBitmap, nullptr);
    swapReference<CBitmap>(m_onBitmap, nullptr);
}

void Mirda_ActionButton::setState(bool state) {
    m_state = state;
    m_value = state ? 1.0 : 0.0;
    if (m_parameter) m_parameter->setValue(this, state ? 1.0f : 0.0f);
    notifyValueChanged();
    setDirty(true);
}

int32_t Mirda_ActionButton::onMouseDown(CPoint& where, int32_t buttons) {
    if (!(buttons & (kLButton | kRButton)) || !hitTest(where, buttons)) return kMouseNotHandled;
    m_clickTime = getTicks();
    beginEdit();
    if (m_mode == kMomentary) {
        m_level = 128;
        setState(true);
        return kMouseHandled;
    }
    setState(!m_state);
    endEdit();
    return kMouseHandledNoFollow;
}

int32_t Mirda_ActionButton::onMouseUp(CPoint&, int32_t) {
    if (m_mode == kMomentary) {
        setState(false);
        endEdit();
    }
    return kMouseHandled;
}

void Mirda_ActionButton::onParameterChanged() {
    m_state = m_parameter->getBoolValue();
    m_value = m_state ? 1.0 : 0.0;
    setDirty(true);
}

void Mirda_ActionButton::draw(CDrawContext* context) {
    const double elapsed = stepTime(m_lastDraw) * 60.0;
    const int32_t glow = m_state ? 255 : m_level;
    if (m_offBitmap) m_offBitmap->drawAlphaBlend(context, m_size, CPoint(), m_active ? 255 : 60);
    if (m_onBitmap && glow > 0)
        m_onBitmap->drawAlphaBlend(context, m_size, CPoint(), m_active ? glow : glow / 4);
    if (!m_offBitmap && !m_onBitmap) {
        context->setFillColor(CColor{36, 38, 44, 255});
        context->setFrameColor(CColor{90, 94, 104, 255});
        context->drawRoundRect(m_size, 4, kDrawFilledAndStroked);
        const double ledSize = std::min(10.0, m_size.height() - 6);
        drawLed(
            context,
            CRect::fromSize(m_size.left + 5, m_size.top + (m_size.height() - ledSize) / 2, ledSize, ledSize),
            glow, !m_active);
        context->setFontColor(kWhiteCColor);
        context->setFont(CFontDesc::getDefaultFont());
        context->drawString(m_title.c_str(),
                            CRect(m_size.left + ledSize + 8, m_size.top, m_size.right, m_size.bottom),
                            kLeftText);
    }
    setDirty(false);
    // A released momentary button fades out over the following frames.
    if (!m_state && m_level > 0) {
        m_level = std::max(0, m_level - std::max(1, static_cast<int32_t>(100 * elapsed / 60)));
        setDirty(true);
    }
}

bool Mirda_ActionButton::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_ActionButton") == 0 || CControl::isTypeOf(className);
}

CXButton::CXButton(const CRect& size, const std::string& title, std::function<void()> action)
    : CControl(size), m_title(title), m_action(std::move(action)) {}

int32_t CXButton::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseNotHandled;
    m_pressed = true;
    setDirty(true);
    return kMouseHandled;
}

int32_t CXButton::onMouseUp(CPoint&, int32_t) {
    const bool run = m_pressed;
    m_pressed = false;
    setDirty(true);
    if (run) {
        if (m_action) m_action();
        notifyValueChanged();
    }
    return kMouseHandled;
}

void CXButton::draw(CDrawContext* context) {
    if (m_background) {
        m_background->draw(context, m_size, CPoint(0, m_pressed ? m_size.height() : 0));
    } else {
        context->fillRoundRectGradient(m_size, 3,
                                       m_pressed ? CColor{40, 44, 52, 255} : CColor{92, 98, 110, 255},
                                       m_pressed ? CColor{70, 76, 86, 255} : CColor{52, 56, 64, 255});
        context->setFrameColor(CColor{20, 22, 26, 255});
        context->drawRoundRect(m_size, 3);
    }
    context->setFont(CFontDesc::getDefaultFont());
    context->setFontColor(m_active ? kWhiteCColor : kGreyCColor);
    context->drawString(m_title.c_str(), m_size, kCenterText);
    setDirty(false);
}

bool CXButton::isTypeOf(const char* className) const {
    return std::strcmp(className, "CXButton") == 0 || CControl::isTypeOf(className);
}

Mirda_RadioGroup::Mirda_RadioGroup(const CRect& size, CControlListener* listener, int32_t tag,
                                   std::vector<CRect> choices, CBitmap* offBitmap, CBitmap* onBitmap,
                                   const std::string& title)
    : CControl(size, listener, tag), m_choices(std::move(choices)), m_levels(m_choices.size(), 0),
      m_title(title) {
    swapReference(m_offBitmap, offBitmap);
    swapReference(m_onBitmap, onBitmap);
}

Mirda_RadioGroup::~Mirda_RadioGroup() {
    swapReference<CBitmap>(m_offBitmap, nullptr);
    swapReference<CBitmap>(m_onBitmap, nullptr);
}

int32_t Mirda_RadioGroup::getSelected() const {
    if (m_choices.size() < 2) return 0;
    return static_cast<int32_t>(std::lround(std::clamp(m_value, 0.0, 1.0) * (m_choices.size() - 1)));
}

int32_t Mirda_RadioGroup::onMouseDown(CPoint& where, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseNotHandled;
    const std::vector<CRect>& areas = m_hitAreas.size() == m_choices.size() ? m_hitAreas : m_choices;
    for (size_t i = 0; i < areas.size(); ++i) {
        CRect r = areas[i];
        r.offset(m_size.left, m_size.top);
        if (!r.pointInside(where)) continue;
        m_value = m_choices.size() > 1 ? static_cast<double>(i) / (m_choices.size() - 1) : 0.0;
        beginEdit();
        m_editing = true;
        commitValue();
        updateReadout();
        setDirty(true);
        return kMouseHandled;
    }
    return kMouseNotHandled;
}

int32_t Mirda_RadioGroup::onMouseMoved(CPoint& where, int32_t buttons) {
    return hoverReadout(where, buttons);
}

int32_t Mirda_RadioGroup::onMouseUp(CPoint&, int32_t) {
    if (m_editing) endEdit();
    m_editing = false;
    return kMouseHandled;
}

bool Mirda_RadioGroup::stepLevels(double elapsedMs) {
    const int32_t step = std::max(1, static_cast<int32_t>(100 * (elapsedMs / 60)));
    const int32_t selected = getSelected();
    bool moving = false;
    for (size_t i = 0; i < m_levels.size(); ++i) {
        const bool on = static_cast<int32_t>(i) == selected;
        m_levels[i] = std::clamp(m_levels[i] + (on ? step : -step), 0, 255);
        moving |= on ? m_levels[i] < 255 : m_levels[i] > 0;
    }
    return moving;
}

void Mirda_RadioGroup::draw(CDrawContext* context) {
    const bool moving = stepLevels(stepTime(m_lastDraw) * 60.0);
    CView::draw(context);
    for (size_t i = 0; i < m_choices.size(); ++i) {
        CRect r = m_choices[i];
        r.offset(m_size.left, m_size.top);
        if (m_offBitmap || m_onBitmap) {
            if (m_offBitmap) m_offBitmap->drawAlphaBlend(context, r, CPoint(), m_active ? 255 : 60);
            if (m_onBitmap)
                m_onBitmap->drawAlphaBlend(context, r, CPoint(),
                                           static_cast<uint8_t>(m_active ? m_levels[i] : m_levels[i] / 4));
        } else {
            drawLed(context, r, m_levels[i], !m_active);
        }
    }
    if (!m_title.empty()) {
        context->setFont(CFontDesc::getDefaultFont());
        context->setFontColor(kWhiteCColor);
        context->drawString(m_title.c_str(), CRect::fromSize(m_size.left, m_size.top, 100, 12), kLeftText);
    }
    setDirty(false);
    if (moving) setDirty(true);
}

bool Mirda_RadioGroup::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_RadioGroup") == 0 || CControl::isTypeOf(className);
}

} // namespace Mirda
