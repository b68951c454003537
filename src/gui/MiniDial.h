#pragma once
// Mirda_MiniDial: the small dial of the module pages. It drags like a knob; a left click on an on/off
// parameter toggles it instead.

#include "gui/Control.h"

namespace Mirda {

class Mirda_MiniDial : public CControl {
public:
    Mirda_MiniDial(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
                   CBitmap* background = nullptr);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) override;

    CKnobGesture& gesture() { return m_gesture; }
    void setColors(const CColor& track, const CColor& value);

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new Mirda_MiniDial(*this); }
    const char* getClassName() const override { return "Mirda_MiniDial"; }

private:
    CKnobGesture m_gesture;
    bool m_mouseDownInProgress = false;
    CColor m_trackColor{70, 74, 84, 255};
    CColor m_valueColor{110, 200, 255, 255};
};

} // namespace Mirda
