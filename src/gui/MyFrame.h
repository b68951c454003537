#pragma once
// CMyFrame: the editor's frame. It adds the read-out link: controls hand their read-out text to the
// frame, which stores it in the editor's READOUT text property, and a mouse move that no view takes
// puts the default text back, so the read-out clears when the pointer leaves the controls.

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

    void setReadoutText(const char* text) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    const std::string& getDefaultReadoutText() const { return m_defaultText; }

    bool isTypeOf(const char* className) const override;
    const char* getClassName() const override { return "CMyFrame"; }

protected:
    ~CMyFrame() override = default;

private:
    Tessu::ParameterProperty* m_readout;
    std::string m_defaultText;
};

} // namespace Mirda
