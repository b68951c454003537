#pragma once
// The knob family: CKnob (drag, fine mode, detent, steps, wheel, reset), CAnimKnob (filmstrip drawing)
// and Mirda_AnimKnob (the editor's dial, which can also watch a second parameter for its drawing).

#include "gui/Control.h"
#include "gui/KnobGesture.h"

namespace Mirda {

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
          CBitmap* background = nullptr);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    bool onWheel(const CPoint& where, int32_t axis, float distance, int32_t buttons) override;
    int32_t onKeyDown(VstKeyCode& keyCode) override;
    // A knob is round: it takes the pointer inside the circle its rect holds, so the ring of a dial
    // shows through the corners of a smaller dial set into it.
    bool hitTest(const CPoint& where, int32_t buttons = -1) const override;

    CKnobGesture& gesture() { return m_gesture; }
    void setDragRange(float pixels) { m_gesture.dragRange = pixels; }
    void setFineFactor(float factor) { m_gesture.fineFactor = factor; }
    void setDetent(bool on, float center = 0.5f, float halfWidth = 0.05f);
    // A stepped knob only takes the values k / (steps − 1); the parameter receives k + its minimum.
    void setSteps(int32_t steps) { m_steps = steps; }
    int32_t getSteps() const { return m_steps; }
    bool isDragging() const { return m_mouseDownInProgress; }
    void setColors(const CColor& body, const CColor& handle);

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CKnob(*this); }
    const char* getClassName() const override { return "CKnob"; }

protected:
    void onParameterChanged() override;

    CKnobGesture m_gesture;
    int32_t m_steps = 0;
    bool m_mouseDownInProgress = false;
    CColor m_bodyColor{60, 64, 72, 255};
    CColor m_handleColor{240, 200, 90, 255};
};

class CAnimKnob : public CKnob {
public:
    // `frameCount` frames of equal height stacked vertically in `background`.
    CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag, int32_t frameCount,
              double frameHeight, CBitmap* background);

    void draw(CDrawContext* context) override;
    void setInverseBitmap(bool inverse) { m_inverse = inverse; }
    int32_t getFrameCount() const { return m_frameCount; }
    // The filmstrip frame shown for the current value.
    int32_t currentFrame() const;

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CAnimKnob(*this); }
    const char* getClassName() const override { return "CAnimKnob"; }

protected:
    int32_t m_frameCount;
    double m_frameHeight;
    bool m_inverse = false;
};

class Mirda_AnimKnob : public CAnimKnob {
public:
    using CAnimKnob::CAnimKnob;

    // A second parameter whose plain value the knob keeps for its drawing (e.g. a modulated value).
    void setSecondParameter(Tessu::ParameterProperty* parameter);
    float getSecondValue() const { return m_secondValue; }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new Mirda_AnimKnob(*this); }
    const char* getClassName() const override { return "Mirda_AnimKnob"; }

protected:
    void onOtherParameterChanged(Tessu::ParameterProperty* parameter) override;
    float m_secondValue = 0.0f;
};

} // namespace Mirda
