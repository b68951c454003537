#include "gui/TextField.h"

#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/Frame.h"
#include "gui/Utf8.h"

#include <algorithm>
#include <cmath>

namespace Mirda {

namespace {
constexpr double kPadding = 3;
}

CTextField::CTextField(const CRect& size, const std::string& text, ITextEditCallback* owner)
    : CView(size), m_text(text), m_owner(owner) {
    // Focused directly by its owner, never by tab navigation.
    selectAll();
}

void CTextField::selectAll() {
    m_anchor = 0;
    m_caret = m_text.size();
    keepCaretVisible();
    setDirty(true);
}

void CTextField::finish(int32_t flag) {
    if (m_finished) return;
    m_finished = true;
    addRef(); // the owner usually removes the field from its container
    if (m_owner) m_owner->textEditEnded(flag, m_text);
    release();
}

void CTextField::looseFocus() {
    finish(kFocusLost);
}

void CTextField::eraseSelection() {
    const size_t b = selectionBegin(), e = selectionEnd();
    m_text.erase(b, e - b);
    m_caret = m_anchor = b;
}

void CTextField::insert(const std::string& utf8) {
    eraseSelection();
    m_text.insert(m_caret, utf8);
    m_caret += utf8.size();
    m_anchor = m_caret;
}

void CTextField::moveCaret(size_t to, bool extend) {
    m_caret = to;
    if (!extend) m_anchor = to;
}

int32_t CTextField::onKeyDown(VstKeyCode& key) {
    if (m_finished) return -1;
    const bool shift = key.modifier & MODIFIER_SHIFT;
    switch (key.virt) {
    case VKEY_RETURN:
        finish(kConfirmed);
        return 1;
    case VKEY_ESCAPE:
        finish(kCancelled);
        return 1;
    case VKEY_TAB:
        return m_owner ? m_owner->textEditKey(key) : -1;
    case VKEY_LEFT:
        moveCaret(shift || m_caret == m_anchor ? previousUtf8Boundary(m_text, m_caret) : selectionBegin(),
                  shift);
        break;
    case VKEY_RIGHT:
        moveCaret(shift || m_caret == m_anchor ? nextUtf8Boundary(m_text, m_caret) : selectionEnd(), shift);
        break;
    case VKEY_HOME:
        moveCaret(0, shift);
        break;
    case VKEY_END:
        moveCaret(m_text.size(), shift);
        break;
    case VKEY_BACK:
        if (m_caret == m_anchor) m_anchor = previousUtf8Boundary(m_text, m_caret);
        eraseSelection();
        break;
    case VKEY_DELETE:
        if (m_caret == m_anchor) m_anchor = nextUtf8Boundary(m_text, m_caret);
        eraseSelection();
        break;
    default:
        if (key.character >= 0x20 && key.character != 0x7F && !(key.modifier & MODIFIER_CONTROL)) {
            std::string utf8;
            appendUtf8(utf8, static_cast<char32_t>(key.character));
            insert(utf8);
        } else if ((key.modifier & MODIFIER_CONTROL) && (key.character == 'a' || key.character == 'A')) {
            selectAll();
        } else {
            return 1; // every other key stays in the field
        }
    }
    keepCaretVisible();
    setDirty(true);
    return 1;
}

double CTextField::textWidth(size_t bytes) const {
    auto* context = new CDrawContext(CPixelBuffer{});
    context->setFont(CFontDesc::getDefaultFont());
    const double w = context->getStringWidth(m_text.substr(0, bytes).c_str());
    context->release();
    return w;
}

double CTextField::textX(size_t bytes) {
    return m_size.left + kPadding + textWidth(bytes) - m_scroll;
}

void CTextField::keepCaretVisible() {
    const double visible = std::max(0.0, m_size.width() - 2 * kPadding - 1);
    const double caret = textWidth(m_caret);
    if (caret - m_scroll > visible) m_scroll = caret - visible;
    if (caret < m_scroll) m_scroll = caret;
    // No empty space after the end of a text that is wider than the field.
    m_scroll = std::clamp(m_scroll, 0.0, std::max(0.0, textWidth(m_text.size()) - visible));
}

size_t CTextField::caretFromX(double x) {
    size_t best = 0;
    double bestDistance = 1e9;
    for (size_t pos = 0;; pos = nextUtf8Boundary(m_text, pos)) {
        const double d = std::abs(textX(pos) - x);
        if (d < bestDistance) bestDistance = d, best = pos;
        if (pos >= m_text.size()) break;
    }
    return best;
}

int32_t CTextField::onMouseDown(CPoint& where, int32_t buttons) {
    if (!(buttons & kLButton)) return kMouseHandledNoFollow;
    if (buttons & kDoubleClick) {
        selectAll();
        return kMouseHandledNoFollow;
    }
    moveCaret(caretFromX(where.x), (buttons & kShift) != 0);
    keepCaretVisible();
    m_selecting = true;
    setDirty(true);
    return kMouseHandled;
}

int32_t CTextField::onMouseMoved(CPoint& where, int32_t) {
    if (!m_selecting) return kMouseNotHandled;
    moveCaret(caretFromX(where.x), true);
    keepCaretVisible();
    setDirty(true);
    return kMouseHandled;
}

int32_t CTextField::onMouseUp(CPoint&, int32_t) {
    m_selecting = false;
    return kMouseHandled;
}

void CTextField::draw(CDrawContext* context) {
    context->setFillColor(m_backColor);
    context->setFrameColor(CColor{80, 140, 220, 255});
    context->drawRect(m_size, kDrawFilledAndStroked);
    // Text, selection and caret stay inside the frame, whatever part of a long text is scrolled in.
    const CRect savedClip = context->getClipRect();
    CRect inside = m_size;
    inside.inset(1, 1);
    inside.offset(context->getOffset().x, context->getOffset().y);
    inside.bound(savedClip);
    context->setClipRect(inside);
    context->setFont(CFontDesc::getDefaultFont());
    const double selStart = textX(selectionBegin()), selEnd = textX(selectionEnd());
    if (selEnd > selStart) {
        context->setFillColor(CColor{150, 190, 240, 255});
        context->drawRect(CRect(selStart, m_size.top + 2, selEnd, m_size.bottom - 2), kDrawFilled);
    }
    context->setFontColor(m_fontColor);
    const CRect textRect(textX(0), m_size.top, m_size.right + m_scroll, m_size.bottom);
    context->drawString(m_text.c_str(), textRect, kLeftText);
    const double caretX = std::floor(textX(m_caret));
    context->setFrameColor(m_fontColor);
    context->drawLine(CPoint(caretX, m_size.top + 3), CPoint(caretX, m_size.bottom - 4));
    context->setClipRect(savedClip);
    setDirty(false);
}

void dismissTextField(CTextField* field) {
    if (!field) return;
    field->detachOwner();
    // The field knows the frame as long as it is in the tree, even when its owner already left it.
    CFrame* frame = field->getFrame();
    IFrame* platform = frame ? frame->getPlatformFrame() : nullptr;
    if (CView* parent = field->getParentView(); parent && parent->isTypeOf("CViewContainer"))
        static_cast<CViewContainer*>(parent)->removeView(field, true);
    field->release();
    if (platform) platform->releaseKeyboardFocus();
}

} // namespace Mirda
