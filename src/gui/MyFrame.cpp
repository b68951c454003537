#include "gui/MyFrame.h"

#include "params/ParameterProperty.h"

#include <cstring>

namespace Mirda {

CMyFrame::CMyFrame(const CRect& size, IEditor* editor, Tessu::ParameterProperty* readout,
                   const char* defaultText)
    : CFrame(size, editor), m_readout(readout), m_defaultText(defaultText ? defaultText : "") {}

void CMyFrame::setReadoutText(const char* text) {
    if (m_readout && text) m_readout->setValueFromText(text);
}

int32_t CMyFrame::onMouseMoved(CPoint& where, int32_t buttons) {
    const int32_t result = CFrame::onMouseMoved(where, buttons);
    if (result != kMouseNotImplemented && result != kMouseNotHandled) return result;
    const char* shown = m_readout ? m_readout->getLinkedText() : nullptr;
    // Writing the text also notifies the property's listeners (the read-out line).
    if (shown && m_defaultText != shown) m_readout->setValueFromText(m_defaultText.c_str());
    return result;
}

bool CMyFrame::isTypeOf(const char* className) const {
    return std::strcmp(className, "CMyFrame") == 0 || CFrame::isTypeOf(className);
}

} // namespace Mirda
