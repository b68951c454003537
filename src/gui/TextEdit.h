#pragma once
// Editable text: CTextEdit shows a value as text and opens an edit field over itself on a click;
// Mirda_TextEdit is the preset browser's variant, which reports the end of editing to a callback.

#include "gui/ParamDisplay.h"
#include "gui/TextField.h"

#include <functional>

namespace Mirda {

class CTextEdit : public CParamDisplay, public ITextEditCallback {
public:
    CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const std::string& text = {},
              CBitmap* background = nullptr);

    void setText(const std::string& text);
    const std::string& getText() const { return m_text; }
    std::string formatText(float) const override { return m_text; }

    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    // Opens the edit field over the control and gives it the keyboard focus.
    void takeFocus() override;
    bool isEditing() const { return m_field != nullptr; }
    CTextField* getField() const { return m_field; }

    // The field ended: a confirmed or focus-lost text is kept (and parsed into the bound parameter);
    // a cancelled one is dropped.
    void textEditEnded(int32_t flag, const std::string& text) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CTextEdit"; }

protected:
    ~CTextEdit() override;
    void closeField();

    std::string m_text;
    CTextField* m_field = nullptr;
};

class Mirda_TextEdit : public CTextEdit {
public:
    using EndCallback = std::function<void(Mirda_TextEdit*, int32_t flag)>;
    using CTextEdit::CTextEdit;

    void setEndCallback(EndCallback callback) { m_endCallback = std::move(callback); }
    void textEditEnded(int32_t flag, const std::string& text) override;
    int32_t textEditKey(VstKeyCode& keyCode) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "Mirda_TextEdit"; }

private:
    EndCallback m_endCallback;
};

} // namespace Mirda
