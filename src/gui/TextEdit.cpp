#include "gui/TextEdit.h"

#include "gui/Frame.h"

#include <cstring>

namespace Mirda {

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const std::string& text,
                     CBitmap* background)
    : CParamDisplay(size, background, kLeftText), m_text(text) {
    m_listener = listener;
    m_tag = tag;
    m_mouseEnabled = true;
    m_wantsFocus = true;
    m_drawBack = m_drawFrame = true;
    m_backColor = CColor{24, 26, 30, 255};
}

CTextEdit::~CTextEdit() {
    closeField();
}

void CTextEdit::setText(const std::string& text) {
    m_text = text;
    setDirty(true);
}

int32_t CTextEdit::onMouseDown(CPoint&, int32_t buttons) {
    if (!(buttons & kLButton) || !m_frame) return kMouseNotHandled;
    if (m_frame->getFocusView() == this)
        takeFocus();
    else
        m_frame->setFocusView(this);
    return kMouseHandledNoFollow;
}

void CTextEdit::takeFocus() {
    if (m_field || !m_frame || !m_parent || !m_parent->isTypeOf("CViewContainer")) return;
    // Two holders: the container that shows the field and this text edit, each with its own reference,
    // so that the field survives whichever of them lets go first when the editor closes.
    m_field = new CTextField(m_size, m_text, this);
    m_field->setColors(m_fontColor, m_backColor);
    m_field->addRef();
    static_cast<CViewContainer*>(m_parent)->addView(m_field);
    m_frame->setFocusView(m_field);
    if (IFrame* platform = m_frame->getPlatformFrame()) platform->takeKeyboardFocus();
}

void CTextEdit::closeField() {
    CTextField* field = m_field;
    m_field = nullptr;
    dismissTextField(field);
}

void CTextEdit::textEditEnded(int32_t flag, const std::string& text) {
    if (flag != CTextField::kCancelled) {
        m_text = text;
        if (m_parameter) {
            beginEdit();
            m_parameter->setValueFromText(text.c_str());
            m_value = m_parameter->getNormalizedValue();
            endEdit();
        }
        notifyValueChanged();
    }
    closeField();
    if (m_frame && m_frame->getFocusView() == this) m_frame->setFocusView(nullptr);
    setDirty(true);
}

bool CTextEdit::isTypeOf(const char* className) const {
    return std::strcmp(className, "CTextEdit") == 0 || CParamDisplay::isTypeOf(className);
}

void Mirda_TextEdit::textEditEnded(int32_t flag, const std::string& text) {
    addRef();
    CTextEdit::textEditEnded(flag, text);
    if (m_endCallback) m_endCallback(this, flag);
    release();
}

int32_t Mirda_TextEdit::textEditKey(VstKeyCode& keyCode) {
    // Tab leaves the field like a focus change and moves the focus on; with no other view to move to
    // it is swallowed, so that the field stays open.
    if (keyCode.virt != VKEY_TAB || !m_frame) return -1;
    CFrame* frame = m_frame;
    frame->addRef();
    frame->advanceNextFocusView(this, (keyCode.modifier & MODIFIER_SHIFT) != 0);
    frame->release();
    return 1;
}

int32_t Mirda_TextEdit::onKeyDown(VstKeyCode& keyCode) {
    if (m_field) return m_field->onKeyDown(keyCode);
    return -1;
}

bool Mirda_TextEdit::isTypeOf(const char* className) const {
    return std::strcmp(className, "Mirda_TextEdit") == 0 || CTextEdit::isTypeOf(className);
}

} // namespace Mirda
