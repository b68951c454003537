#include "editor/ReadoutLine.h"

#include "gui/Font.h"
#include "gui/TextFit.h"

using namespace Mirda;

namespace {

constexpr CColor kNameColor{250, 200, 60, 150};
constexpr CColor kValueColor{255, 208, 80, 235};

} // namespace

CReadoutLine::CReadoutLine(const CRect& size, double scale, std::function<void(const CRect&)> typeValue)
    : CParamDisplay(size), m_scale(scale), m_typeValue(std::move(typeValue)) {
    m_mouseEnabled = true;
}

CReadoutLine::Layout CReadoutLine::layout(CDrawContext* context, const std::string& text, const CRect& box,
                                          double scale) {
    const double s = scale, width = box.width() - 8 * s;
    auto fit = [&](const std::string& line, double size, double minimum, const CRect& rect) {
        context->setFont(CFontDesc::getDefaultFont(), size * s, kBoldFace);
        const double chosen = fitFontSize(context, line, width, size * s, minimum * s);
        const std::string shown =
            ellipsized(line, width, [&](const std::string& t) { return context->getStringWidth(t.c_str()); });
        return Line{shown, chosen, rect, true};
    };
    Layout result{};
    const size_t colon = text.find(": ");
    if (colon == std::string::npos) {
        result.lines[0] = fit(text, kRestingSize, kRestingMinimum, box);
        result.count = 1;
        return result;
    }
    // The name's line over the value's: the value's descenders may use the glass below the line.
    result.lines[0] = fit(text.substr(0, colon), kNameSize, kNameMinimum,
                          CRect(box.left, box.top + 0.5 * s, box.right, box.top + 10 * s));
    result.lines[1] = fit(text.substr(colon + 2), kValueSize, kValueMinimum,
                          CRect(box.left, box.top + 8.5 * s, box.right, box.bottom + 1.5 * s));
    result.count = 2;
    return result;
}

std::string CReadoutLine::formatText(float) const {
    const char* text = m_parameter ? m_parameter->getLinkedText() : nullptr;
    return text ? text : "";
}

void CReadoutLine::draw(CDrawContext* context) {
    const std::string text = formatText(getValue());
    const Layout shown = layout(context, text, m_size, m_scale);
    for (int i = 0; i < shown.count; ++i) {
        const Line& line = shown.lines[i];
        context->setFont(CFontDesc::getDefaultFont(), line.size, line.bold ? kBoldFace : kNormalFace);
        context->setFontColor(shown.count == 2 && i == 0 ? kNameColor : kValueColor);
        context->drawString(line.text.c_str(), line.rect, kCenterText);
    }
    setDirty(false);
}

int32_t CReadoutLine::onMouseMoved(CPoint& where, int32_t buttons) {
    return hitTest(where, buttons) ? kMouseHandled : kMouseNotHandled;
}

int32_t CReadoutLine::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton) || !(buttons & kDoubleClick) || !m_typeValue) return kMouseNotHandled;
    m_typeValue(m_size);
    return kMouseHandledNoFollow;
}
