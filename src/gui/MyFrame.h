#pragma once
// CMyFrame: the editor's frame. It adds the read-out link: a control that shows its read-out becomes the
// read-out's source, whose text the frame stores in the editor's READOUT text property and keeps up to
// date (refreshReadout, at each idle pass: host automation); a mouse move that no view takes, and the
// pointer leaving the window, put the default text back.

#include "gui/Frame.h"

#include <string>

namespace Tessu {
class ParameterProperty;
}

namespace Mirda {

class CMyFrame : public CFrame {
public:
    // `readout` is a text property (unit kind 11) linked to the editor's text buffer; not owned.
    CMyFrame(const CRect& size, IEditor* editor, Tessu::ParameterProperty* readout, const char* defaultText);

    void showReadout(CControl* source) override;
    // Shows the source's current text again when its value changed meanwhile.
    void refreshReadout();
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseExited(CPoint& where, int32_t buttons) override;
    const std::string& getDefaultReadoutText() const { return m_defaultText; }

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CMyFrame"; }

protected:
    ~CMyFrame() override = default;

private:
    void setText(const std::string& text);

    Tessu::ParameterProperty* m_readout;
    std::string m_defaultText;
};

} // namespace Mirda
