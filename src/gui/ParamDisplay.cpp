#include "gui/ParamDisplay.h"

#include "gui/Bitmap.h"
#include "gui/Font.h"
#include "gui/TextFit.h"

#include <cstdio>
#include <cstring>

namespace Mirda {

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, int32_t align)
    : CControl(size, nullptr, 0, background), m_align(align) {
    setFont(CFontDesc::getDefaultFont());
    m_mouseEnabled = false;
}

CParamDisplay::CParamDisplay(const CParamDisplay& other)
    : CControl(other), m_fontColor(other.m_fontColor), m_backColor(other.m_backColor),
      m_frameColor(other.m_frameColor), m_align(other.m_align), m_drawBack(other.m_drawBack),
      m_drawFrame(other.m_drawFrame), m_formatFlags(other.m_formatFlags) {
    setFont(other.m_font);
}

CParamDisplay::~CParamDisplay() {
    swapReference<CFontDesc>(m_font, nullptr);
}

void CParamDisplay::setFont(CFontDesc* font) {
    swapReference(m_font, font);
    setDirty(true);
}

void CParamDisplay::setStyle(bool drawBack, bool drawFrame) {
    m_drawBack = drawBack;
    m_drawFrame = drawFrame;
    setDirty(true);
}

std::string CParamDisplay::formatText(float value) const {
    char text[256] = {};
    if (m_parameter)
        m_parameter->formatValue(m_parameter->toPlain(value), text, m_formatFlags);
    else
        std::snprintf(text, sizeof text, "%2.2f", value);
    return text;
}

void CParamDisplay::drawText(CDrawContext* context, const std::string& text) {
    if (m_background)
        m_background->draw(context, m_size, m_backOffset);
    else if (m_drawBack) {
        context->setFillColor(m_backColor);
        context->drawRect(m_size, kDrawFilled);
    }
    if (m_drawFrame) {
        context->setFrameColor(m_frameColor);
        context->drawRect(m_size, kDrawStroked);
    }
    context->setFont(m_font ? m_font : CFontDesc::getDefaultFont());
    context->setFontColor(m_fontColor);
    CRect textRect = m_size;
    textRect.inset(m_align == kCenterText ? 0 : 3, 0);
    if (m_minimumFontSize > 0 && m_font)
        fitFontSize(context, text, textRect.width(), m_font->getSize(), m_minimumFontSize);
    context->drawString(text.c_str(), textRect, m_align);
}

void CParamDisplay::draw(CDrawContext* context) {
    drawText(context, formatText(getValue()));
    setDirty(false);
}

bool CParamDisplay::isTypeOf(const char* className) const {
    return std::strcmp(className, "CParamDisplay") == 0 || CControl::isTypeOf(className);
}

Mirda_ParamDisplay::Mirda_ParamDisplay(const CRect& size, int32_t typeCode, CBitmap* background)
    : CParamDisplay(size, background), m_typeCode(typeCode) {}

bool Mirda_ParamDisplay::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_ParamDisplay") == 0 || CParamDisplay::isTypeOf(className);
}

CTextLabel::CTextLabel(const CRect& size, const std::string& text, CBitmap* background, int32_t align)
    : CParamDisplay(size, background, align), m_text(text) {}

void CTextLabel::setText(const std::string& text) {
    m_text = text;
    setDirty(true);
}

bool CTextLabel::isTypeOf(const char* className) const {
    return std::strcmp(className, "CTextLabel") == 0 || CParamDisplay::isTypeOf(className);
}

} // namespace Mirda
