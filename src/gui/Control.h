#pragma once
// CControl: a view that holds a normalised value, draws it and lets the user change it. A control edits
// one bound parameter object and tells the host about gestures (begin, change, end).

#include "gui/KnobGesture.h"
#include "gui/View.h"
#include "params/ParameterProperty.h"

#include <atomic>
#include <string>

namespace Mirda {

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // Non-zero when the listener consumed a click with modifier keys.
    virtual int32_t controlModifierClicked(CControl*, int32_t) { return 0; }
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};

class CControl : public CView, public Tessu::ParameterChangeListener {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0,
             CBitmap* background = nullptr);
    CControl(const CControl& other);

    virtual void setValue(float value);
    virtual float getValue() const { return static_cast<float>(m_value); }
    virtual float getDefaultValue() const;
    virtual void setDefaultValue(float value) { m_defaultValue = value; }
    virtual void bounceValue();
    // Resets to the default on a middle click (also control-left-click, converted by the frame) or
    // left + control; answers true when it did.
    virtual bool checkDefaultValue(int32_t buttons);
    virtual void beginEdit();
    virtual void endEdit();

    bool isDirty() const override;
    void setDirty(bool dirty = true) override;

    void setMin(float min) { m_min = min; }
    float getMin() const { return m_min; }
    void setMax(float max) { m_max = max; }
    float getMax() const { return m_max; }
    void setWheelInc(float increment) { m_wheelInc = increment; }
    float getWheelInc() const { return m_wheelInc; }
    void setTag(int32_t tag) { m_tag = tag; }
    int32_t getTag() const { return m_tag; }
    void setListener(CControlListener* listener) { m_listener = listener; }
    CControlListener* getListener() const { return m_listener; }
    float getOldValue() const { return m_oldValue; }
    void setBackOffset(const CPoint& offset) { m_backOffset = offset; }

    // Binds the parameter this control edits (not owned; bind before attaching). The control takes
    // the parameter's current value.
    virtual void bindParameter(Tessu::ParameterProperty* parameter);
    Tessu::ParameterProperty* getParameter() const { return m_parameter; }
    // Parameters whose on/off state shows or hides (activates) this control.
    void setVisibilitySource(Tessu::ParameterProperty* source);
    void setActivitySource(Tessu::ParameterProperty* source);

    // Called on whichever thread changed the parameter; the work happens in applyPendingChanges.
    void parameterChanged(Tessu::IPluginParameter* parameter) override;
    void applyPendingChanges() override;

    // The text shown in the editor's read-out for the current value.
    virtual std::string getReadoutText() const;

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CControl(*this); }
    const char* getClassName() const override { return "CControl"; }

protected:
    ~CControl() override;

    // Sets the bound parameter's normalised value (clamped to [0, 1]) and tells the listener.
    void commitValue();
    void notifyValueChanged();
    void updateReadout();
    // A pointer move without a gesture: a control under the pointer shows its read-out (handled).
    int32_t hoverReadout(const CPoint& where, int32_t buttons);
    // Stores a value produced by a gesture (clamped to [0, 1], snapped to k / (steps − 1) when
    // `steps` > 1) and, when it changed, sends it to the parameter and the listener; marks dirty.
    void setValueFromGesture(double value, int32_t steps);
    // The wheel model of the knob family: one notch moves by the wheel increment (a tenth with shift),
    // or by one step of a stepped control.
    bool wheelStep(const CPoint& where, float distance, int32_t buttons, int32_t steps);
    // Mouse-move and mouse-up of a knob drag in progress (shared by the knob family and the mini dial).
    int32_t gestureMoved(CKnobGesture& gesture, bool inProgress, CPoint& where, int32_t buttons,
                         int32_t steps);
    int32_t gestureUp(bool& inProgress, CPoint& where, int32_t buttons);
    // Sends the current value to the parameter (stepped: as plain k + minimum) and the listener.
    void commitSteppedValue(int32_t steps);
    // The bound parameter changed elsewhere; default: take its normalised value.
    virtual void onParameterChanged();
    // A watched parameter other than the bound and the source ones changed.
    virtual void onOtherParameterChanged(Tessu::ParameterProperty*) {}
    void watch(Tessu::ParameterProperty* parameter);
    void unwatch(Tessu::ParameterProperty* parameter);

    enum PendingChange : uint32_t {
        kBoundChanged = 1,
        kVisibilityChanged = 2,
        kActivityChanged = 4,
        kOtherChanged = 8
    };

    CControlListener* m_listener = nullptr;
    int32_t m_tag = 0;
    float m_oldValue = -1.0f;
    float m_defaultValue = 0.5f;
    double m_value = 0.0;
    float m_min = 0.0f;
    float m_max = 1.0f;
    float m_wheelInc = 0.1f;
    CPoint m_backOffset;
    Tessu::ParameterProperty* m_visibilitySource = nullptr;
    Tessu::ParameterProperty* m_activitySource = nullptr;
    Tessu::ParameterProperty* m_parameter = nullptr;
    Tessu::ParameterProperty* m_otherParameter = nullptr;
    std::atomic<uint32_t> m_pending{0};
};

} // namespace Mirda
