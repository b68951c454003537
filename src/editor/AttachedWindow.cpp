#include "editor/AttachedWindow.h"

#include "editor/ScreenLayer.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"

#include <algorithm>
#include <cmath>

namespace Mirda {

namespace {

constexpr CColor kAccent{255, 168, 48, 255};
constexpr CColor kDialName{150, 160, 174, 255};
constexpr CColor kDialValue{226, 232, 240, 255};
constexpr CColor kDialTrack{46, 54, 66, 255};

} // namespace

CModuleDial::CModuleDial(const CRect& size, double scale) : Mirda_MiniDial(size), m_scale(scale) {
    gesture().dragRange = float(150 * scale);
    gesture().fineFactor = 10.0f;
}

CModuleDial::~CModuleDial() {
    // A polled parameter never had this control in its listener list.
    if (!m_listening) m_parameter = nullptr;
}

void CModuleDial::bindParameter(Tessu::ParameterProperty* parameter) {
    m_parameter = parameter;
    if (parameter) onParameterChanged();
}

void CModuleDial::listenTo(Tessu::ParameterProperty* property) {
    m_listening = true;
    CControl::bindParameter(property);
}

const char* CModuleDial::label() const {
    return m_label ? m_label : m_parameter ? m_parameter->getName() : "";
}

std::string CModuleDial::getReadoutText() const {
    if (!m_parameter) return {};
    char value[256] = {};
    m_parameter->formatValue(m_parameter->getValue(), value, Tessu::kFormatWithUnit);
    return std::string(label()) + ": " + value;
}

void CModuleDial::draw(CDrawContext* context) {
    const double s = m_scale;
    const CRect r = m_size;
    char value[128] = {};
    if (m_parameter) m_parameter->formatValue(m_parameter->getValue(), value, Tessu::kFormatWithUnit);
    context->setFont(CFontDesc::getDefaultFont(), 8 * s, kNormalFace);
    context->setFontColor(kDialName);
    context->drawString(label(), CRect(r.left, r.top, r.right, r.bottom - 2 * s), kLeftText);
    context->setFont(CFontDesc::getDefaultFont(), 8 * s, kBoldFace);
    context->setFontColor(kDialValue);
    context->drawString(value, CRect(r.left, r.top, r.right, r.bottom - 2 * s), kRightText);
    // The value bar: from the left end, or from the middle for ranges that run through zero.
    const CRect track(r.left, r.bottom - 1.6 * s, r.right, r.bottom);
    context->setFillColor(kDialTrack);
    context->drawRect(track, kDrawFilled);
    const bool bipolar = m_parameter && m_parameter->getMinimum() < 0 && m_parameter->getMaximum() > 0;
    const double origin = bipolar ? track.left + track.width() * m_parameter->toNormalized(0.0f) : track.left;
    const double x = track.left + track.width() * std::clamp(getValue(), 0.0f, 1.0f);
    context->setFillColor(withAlpha(kLowPassColor, 230));
    context->drawRect(CRect(std::min(origin, x), track.top, std::max(origin, x) + 0.5 * s, track.bottom),
                      kDrawFilled);
    setDirty(false);
}

Mirda_AttachedWindow::Mirda_AttachedWindow(const CRect& window, const CRect& tab, const char* name,
                                           Tessu::ParameterProperty* selector, int32_t page, double scale)
    : CViewContainer(window), m_tab(tab), m_name(name), m_selector(selector), m_page(page), m_scale(scale) {
    setTransparency(true);
    if (m_selector) m_selector->addListener(this, false);
    show(m_selector && m_selector->getIntValue() == m_page);
    m_transition = 0;
}

Mirda_AttachedWindow::~Mirda_AttachedWindow() {
    if (m_selector) m_selector->removeListener(this);
}

void Mirda_AttachedWindow::setOpen(bool open) {
    if (open && m_selector && m_selector->getIntValue() != m_page)
        m_selector->setValue(nullptr, float(m_page)); // tells this window and its page mates
    show(open);
}

void Mirda_AttachedWindow::show(bool open) {
    if (open != m_open) m_transition = kTransitionDraws - m_transition;
    m_open = open;
    for (CView* child : getChildren()) child->setVisible(open);
    setDirty(true);
}

void Mirda_AttachedWindow::parameterChanged(Tessu::IPluginParameter*) {
    show(m_selector->getIntValue() == m_page);
}

double Mirda_AttachedWindow::openness() const {
    const double t = 1.0 - double(m_transition) / kTransitionDraws;
    const double eased = 1.0 - (1.0 - t) * (1.0 - t);
    return m_open ? eased : 1.0 - eased;
}

CRect Mirda_AttachedWindow::bodyRect() const {
    CRect body = m_size;
    if (m_tab.top <= m_size.top)
        body.top = m_tab.bottom;
    else
        body.bottom = m_tab.top;
    return body.bound(m_bodyArea);
}

CRect Mirda_AttachedWindow::localBody() const {
    CRect body = bodyRect();
    return body.offset(-m_size.left, -m_size.top);
}

bool Mirda_AttachedWindow::hitTest(const CPoint& where, int32_t) const {
    return m_tab.pointInside(where) || (m_open && bodyRect().pointInside(where));
}

int32_t Mirda_AttachedWindow::onMouseDown(CPoint& where, int32_t buttons) {
    if (m_tab.pointInside(where)) {
        if (!(buttons & kLButton)) return kMouseNotHandled;
        if (m_open) {
            show(false); // the selector keeps its page until another window of its side opens
        } else {
            for (Tessu::ParameterProperty* rival : m_rivals) rival->setValue(nullptr, 0.0f);
            setOpen(true);
        }
        return kMouseNotHandled;
    }
    return m_open ? CViewContainer::onMouseDown(where, buttons) : kMouseNotHandled;
}

void Mirda_AttachedWindow::drawRect(CDrawContext* context, const CRect& updateRect) {
    const double s = m_scale, amount = openness();
    const CPoint offset = context->getOffset();
    if (amount > 0.0) {
        // The body grows out of the tab's edge while opening and folds back into it while closing.
        const CRect full = bodyRect();
        CRect body = full;
        const bool fromTop = m_tab.top <= m_size.top;
        const double height = std::round(full.height() * amount);
        if (fromTop)
            body.bottom = body.top + height;
        else
            body.top = body.bottom - height;
        CRect shown = body;
        shown.offset(offset.x, offset.y);
        const CRect clip = context->getClipRect();
        context->setClipRect(CRect(shown).bound(clip));
        context->fillRoundRectGradient(full, 4 * s, CColor{30, 36, 46, 255}, CColor{18, 22, 29, 255});
        context->setFrameColor(CColor{255, 168, 48, 90});
        context->setLineWidth(1.0 * s);
        context->drawRoundRect(CRect(full).inset(0.5 * s, 0.5 * s), 4 * s, kDrawStroked);
        if (amount >= 1.0) CViewContainer::drawRect(context, updateRect);
        context->setClipRect(clip);
    }
    drawTab(context);
    if (m_transition > 0) --m_transition;
    m_dirty = m_transition > 0; // keeps the transition going at the next pass
}

void Mirda_AttachedWindow::drawTab(CDrawContext* context) {
    const double s = m_scale, radius = 4 * s;
    const bool onTop = m_tab.top <= m_size.top;
    CRect body = m_tab;
    if (onTop)
        body.top -= radius;
    else
        body.bottom += radius;
    context->setFillColor(m_open ? CColor{52, 40, 22, 240} : CColor{22, 27, 34, 235});
    context->drawRoundRect(body, radius, kDrawFilled);
    context->setFrameColor(m_open ? CColor{255, 168, 48, 170} : CColor{255, 255, 255, 40});
    context->setLineWidth(1.0 * s);
    context->drawRoundRect(body, radius, kDrawStroked);
    // The open / closed marker: a small triangle pointing into the display while closed.
    const double cx = m_tab.left + 9 * s, cy = (m_tab.top + m_tab.bottom) / 2, h = 2.8 * s;
    const bool down = onTop != m_open;
    const CPoint marker[3] = {{cx - h, down ? cy - h / 2 : cy + h / 2},
                              {cx + h, down ? cy - h / 2 : cy + h / 2},
                              {cx, down ? cy + h : cy - h}};
    context->setFillColor(m_open ? kAccent : CColor{140, 150, 164, 255});
    context->drawPolygon(marker, 3, kDrawFilled);
    context->setFont(CFontDesc::getDefaultFont(), 9 * s, kBoldFace);
    context->setFontColor(m_open ? CColor{255, 214, 130, 255} : CColor{176, 184, 196, 255});
    context->drawString(m_name, CRect(m_tab.left + 16 * s, m_tab.top, m_tab.right - 4 * s, m_tab.bottom),
                        kCenterText);
}

} // namespace Mirda
