// A two-state switch drawn from one bitmap that holds the off image above the on image. A click flips
// it as one complete gesture (begin-edit, the new value, end-edit).
#pragma once

#include "gui/Control.h"

class CStackedSwitch : public Mirda::CControl {
public:
    CStackedSwitch(const Mirda::CRect& size, int32_t tag, Mirda::CBitmap* bitmap);

    void draw(Mirda::CDrawContext* context) override;
    int32_t onMouseDown(Mirda::CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(Mirda::CPoint& where, int32_t buttons) override {
        return hoverReadout(where, buttons);
    }
    bool isOn() const { return m_value >= 0.5; }

    bool isTypeOf(const char* className) const override;
    Mirda::CView* clone() const override { return new CStackedSwitch(*this); }
    const char* getClassName() const override { return "CStackedSwitch"; }
};
