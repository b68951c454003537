// The read-out line in the editor's header. At rest it shows the product's name; while a control shows
// its read-out ("LowPass Frequency: 1055.8Hz") it shows the name small on a first line and the value
// large on a second, each in a type that fits the line's width, so no text is ever cut. A double click
// opens a field to type the shown parameter's value.
#pragma once

#include "gui/ParamDisplay.h"

#include <functional>
#include <string>

class CReadoutLine : public Mirda::CParamDisplay {
public:
    struct Line {
        std::string text;
        double size;
        Mirda::CRect rect;
        bool bold;
    };
    struct Layout {
        Line lines[2];
        int count;
    };
    static constexpr double kRestingSize = 14, kRestingMinimum = 10;
    static constexpr double kNameSize = 8.5, kNameMinimum = 7;
    static constexpr double kValueSize = 12.5, kValueMinimum = 9;

    // Double clicks call `typeValue` with the line's rect (typing the shown parameter's value).
    CReadoutLine(const Mirda::CRect& size, double scale, std::function<void(const Mirda::CRect&)> typeValue);

    // How `text` is set inside `box` at `scale`; each line's font size is left selected in `context` for
    // measuring.
    static Layout layout(Mirda::CDrawContext* context, const std::string& text, const Mirda::CRect& box,
                         double scale);

    // The text of the bound READOUT property.
    std::string formatText(float) const override;
    void draw(Mirda::CDrawContext* context) override;
    // The pointer over the line keeps the read-out: the value stays there to be double-clicked.
    int32_t onMouseMoved(Mirda::CPoint& where, int32_t buttons) override;
    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;

    const char* getClassName() const override { return "CReadoutLine"; }

private:
    double m_scale;
    std::function<void(const Mirda::CRect&)> m_typeValue;
};
