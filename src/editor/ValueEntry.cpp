#include "editor/ValueEntry.h"

#include "frame/TessuOS.h"
#include "gui/Frame.h"
#include "params/ParameterProperty.h"
#include "params/UserValueText.h"
#include "params/ValueFormat.h"

#include <algorithm>
#include <cctype>
#include <cmath>

using namespace Mirda;

void CValueEntry::open(CFrame* frame, const CRect& rect, Tessu::ParameterProperty* parameter, double scale) {
    close();
    if (!frame || !parameter) return;
    char shown[Tessu::kValueTextCapacity] = {};
    parameter->formatValue(parameter->getValue(), shown, Tessu::kFormatWithUnit);
    std::string text = shown;
    text.erase(0, text.find_first_not_of(' '));
    // At least wide enough for a typed value, centred over what it edits.
    CRect r = rect;
    const double width = std::max(r.width(), 64 * scale), height = std::round(18 * scale);
    r = CRect::fromSize(std::round((r.left + r.right - width) / 2),
                        std::round((r.top + r.bottom - height) / 2), std::round(width), height);
    m_parameter = parameter;
    m_field = new CTextField(r, text, this);
    m_field->setColors(CColor{20, 20, 24, 255}, CColor{250, 244, 230, 255});
    m_field->addRef(); // one reference here, one in the frame's tree
    frame->addView(m_field);
    frame->setFocusView(m_field);
    if (IFrame* platform = frame->getPlatformFrame()) platform->takeKeyboardFocus();
}

void CValueEntry::close() {
    CTextField* field = m_field;
    m_field = nullptr;
    m_parameter = nullptr;
    dismissTextField(field);
}

void CValueEntry::textEditEnded(int32_t flag, const std::string& text) {
    Tessu::ParameterProperty* parameter = m_parameter;
    float plain = 0.0f;
    if (flag == CTextField::kConfirmed && parameter && readTypedValue(*parameter, text, plain)) {
        const float low = std::min(parameter->getMinimum(), parameter->getMaximum());
        const float high = std::max(parameter->getMinimum(), parameter->getMaximum());
        if (m_effect) m_effect->beginEdit(parameter);
        parameter->setValue(std::clamp(plain, low, high));
        if (m_effect) m_effect->endEdit(parameter);
    }
    close();
}

bool CValueEntry::readTypedValue(Tessu::ParameterProperty& parameter, const std::string& text, float& plain) {
    // A gain shows decibels: its bare number is a level, not a factor.
    const bool bare = !text.empty() && !std::any_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalpha(c) || c == '%';
    });
    const std::string typed = bare && parameter.getUnitKind() == Tessu::kUnitGainFactor ? text + "dB" : text;
    return Tessu::parseUserValue(parameter, typed, plain);
}
