// Typing a value: a small text field over a dial or the read-out line that takes a value in the units
// the editor shows ("800", "1.2k", "-6", "50%", "Saw"). Return applies it to the parameter as one
// complete gesture (begin-edit, the value, end-edit), Escape or a click elsewhere cancels, and text that
// reads as no value leaves the parameter as it was.
#pragma once

#include "gui/TextField.h"

#include <string>

namespace Tessu {
class ParameterProperty;
class TessuOS;
} // namespace Tessu

namespace Mirda {
class CFrame;
}

class CValueEntry : public Mirda::ITextEditCallback {
public:
    // `effect` reports the gesture to the host; may be null (then the value is only set).
    explicit CValueEntry(Tessu::TessuOS* effect) : m_effect(effect) {}
    ~CValueEntry() override { close(); }

    // Opens the field over `rect` (frame coordinates) with the parameter's shown value selected.
    void open(Mirda::CFrame* frame, const Mirda::CRect& rect, Tessu::ParameterProperty* parameter,
              double scale);
    // Takes the field down without applying it (the frame is going).
    void close();
    bool isOpen() const { return m_field != nullptr; }
    Mirda::CTextField* field() const { return m_field; }

    void textEditEnded(int32_t flag, const std::string& text) override;

    // The plain value `text` stands for, as the editor shows the parameter's values: the parser of typed
    // settings, with a gain's bare number in dB; false when it reads as no value.
    static bool readTypedValue(Tessu::ParameterProperty& parameter, const std::string& text, float& plain);

private:
    Tessu::TessuOS* m_effect;
    Tessu::ParameterProperty* m_parameter = nullptr;
    Mirda::CTextField* m_field = nullptr;
};
