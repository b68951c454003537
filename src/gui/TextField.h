#pragma once
// CTextField: the single-line edit field that a text edit opens over itself. It takes all keys while
// it has the focus and reports the end of editing to its owner: Return confirms (flag 1), losing the
// focus ends with flag 0, Escape cancels (flag -1). Tab goes to the owner as a key event.

#include "gui/View.h"

#include <string>

namespace Mirda {

class ITextEditCallback {
public:
    virtual ~ITextEditCallback() = default;
    virtual void textEditEnded(int32_t flag, const std::string& text) = 0;
    // Keys the field does not use (Tab); answers -1 when not handled.
    virtual int32_t textEditKey(VstKeyCode&) { return -1; }
};

class CTextField : public CView {
public:
    enum EndFlag : int32_t { kCancelled = -1, kFocusLost = 0, kConfirmed = 1 };

    CTextField(const CRect& size, const std::string& text, ITextEditCallback* owner);

    void draw(CDrawContext* context) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    void looseFocus() override;

    const std::string& getText() const { return m_text; }
    size_t getCaret() const { return m_caret; }
    // Selection as [begin, end) byte offsets; empty when begin == end.
    size_t selectionBegin() const { return std::min(m_anchor, m_caret); }
    size_t selectionEnd() const { return std::max(m_anchor, m_caret); }
    void selectAll();
    void setColors(const CColor& font, const CColor& back) { m_fontColor = font, m_backColor = back; }
    // Ends the editing once; later calls do nothing.
    void finish(int32_t flag);
    // The owner lets go of the field: it reports to nobody from now on.
    void detachOwner() { m_owner = nullptr; }
    // Where the caret is drawn, in the field's parent coordinates; a long text scrolls so that the
    // caret stays inside the field.
    double caretX() { return textX(m_caret); }

    const char* getClassName() const override { return "CTextField"; }

private:
    void insert(const std::string& utf8);
    void eraseSelection();
    void moveCaret(size_t to, bool extend);
    size_t caretFromX(double x);
    double textX(size_t bytes);
    double textWidth(size_t bytes) const;
    void keepCaretVisible();

    std::string m_text;
    ITextEditCallback* m_owner;
    size_t m_caret = 0;
    size_t m_anchor = 0;
    bool m_finished = false;
    bool m_selecting = false;
    double m_scroll = 0; // pixels of text hidden at the left
    CColor m_fontColor = kBlackCColor;
    CColor m_backColor = kWhiteCColor;
};

// An owner lets go of its field: the field reports to nobody, leaves the tree (which drops the tree's
// reference), the owner's reference goes, and the keyboard focus goes back to the host.
void dismissTextField(CTextField* field);

} // namespace Mirda
