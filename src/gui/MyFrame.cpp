#include "gui/MyFrame.h"

#include "gui/Control.h"
#include "params/ParameterProperty.h"

#include <cstring>

namespace Mirda {

CMyFrame::CMyFrame(const CRect& size, IEditor* editor, Tessu::ParameterProperty* readout,
                   const char* defaultText)
    : CFrame(size, editor), m_readout(readout), m_defaultText(defaultText ? defaultText : "") {}

void CMyFrame::setText(const std::string& text) {
    const char* shown = m_readout ? m_readout->getLinkedText() : nullptr;
    // Writing the text also notifies the property's listeners (the read-out line): only a new one.
    if (shown && text != shown) m_readout->setValueFromText(text.c_str());
}

void CMyFrame::showReadout(CControl* source) {
    CFrame::showReadout(source);
    setText(source ? source->getReadoutText() : m_defaultText);
}

void CMyFrame::refreshReadout() {
    if (m_readoutSource) setText(m_readoutSource->getReadoutText());
}

int32_t CMyFrame::onMouseMoved(CPoint& where, int32_t buttons) {
    const int32_t result = CFrame::onMouseMoved(where, buttons);
    if (result != kMouseNotImplemented && result != kMouseNotHandled) return result;
    showReadout(nullptr);
    return result;
}

int32_t CMyFrame::onMouseUp(CPoint& where, int32_t buttons) {
    const int32_t result = CFrame::onMouseUp(where, buttons);
    // A drag that ends outside the window: no move inside will clear the read-out.
    if (!m_size.pointInside(where)) showReadout(nullptr);
    return result;
}

int32_t CMyFrame::onMouseExited(CPoint& where, int32_t buttons) {
    const int32_t result = CFrame::onMouseExited(where, buttons);
    if (!hasMouseCapture()) showReadout(nullptr);
    return result;
}

bool CMyFrame::isTypeOf(const char* className) const {
    return std::strcmp(className, "CMyFrame") == 0 || CFrame::isTypeOf(className);
}

} // namespace Mirda
