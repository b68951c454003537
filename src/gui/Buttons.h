#pragma once
// Buttons: Mirda_ActionButton (momentary or toggle LED button bound to an on/off parameter),
// CXButton (push button that runs an action on release) and Mirda_RadioGroup (one LED per choice).

#include "gui/Control.h"

#include <functional>
#include <string>
#include <vector>

namespace Mirda {

class Mirda_ActionButton : public CControl {
public:
    enum Mode : int32_t { kMomentary = 0, kToggle = 1 };

    Mirda_ActionButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* offBitmap,
                       CBitmap* onBitmap, int32_t mode);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    bool getState() const { return m_state; }
    void setTitle(const std::string& title) { m_title = title; }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new Mirda_ActionButton(*this); }
    const char* getClassName() const override { return "Mirda_ActionButton"; }

protected:
    ~Mirda_ActionButton() override;
    void onParameterChanged() override;
    void setState(bool state);

    CBitmap* m_offBitmap = nullptr;
    CBitmap* m_onBitmap = nullptr;
    int32_t m_mode;
    bool m_state = false;
    int32_t m_level = 0; // glow of a momentary press, fades while drawn
    uint64_t m_clickTime = 0;
    uint64_t m_lastDraw = 0;
    std::string m_title;
};

class CXButton : public CControl {
public:
    CXButton(const CRect& size, const std::string& title, std::function<void()> action = nullptr);

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    bool isPressed() const { return m_pressed; }
    void setAction(std::function<void()> action) { m_action = std::move(action); }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new CXButton(*this); }
    const char* getClassName() const override { return "CXButton"; }

private:
    std::string m_title;
    std::function<void()> m_action;
    bool m_pressed = false;
};

class Mirda_RadioGroup : public CControl {
public:
    // `choices` are rects relative to the control's top-left; bitmaps may be null (drawn LEDs then).
    Mirda_RadioGroup(const CRect& size, CControlListener* listener, int32_t tag, std::vector<CRect> choices,
                     CBitmap* offBitmap = nullptr, CBitmap* onBitmap = nullptr,
                     const std::string& title = {});

    void draw(CDrawContext* context) override;
    int32_t onMouseDown(CPoint& where, int32_t buttons) override;
    int32_t onMouseUp(CPoint& where, int32_t buttons) override;
    int32_t onMouseMoved(CPoint& where, int32_t buttons) override;
    int32_t getSelected() const;
    // Where a click picks each choice (relative to the top-left, one per choice): an LED with its
    // label. Without them, the choices' own rects.
    void setHitAreas(std::vector<CRect> areas) { m_hitAreas = std::move(areas); }
    int32_t getLevel(int32_t index) const { return m_levels.at(static_cast<size_t>(index)); }

    bool isTypeOf(const char* className) const override;
    CView* clone() const override { return new Mirda_RadioGroup(*this); }
    const char* getClassName() const override { return "Mirda_RadioGroup"; }

protected:
    ~Mirda_RadioGroup() override;
    // Moves every LED level one animation step towards its target; true while any is still moving.
    bool stepLevels(double elapsedMs);

    std::vector<CRect> m_choices;
    std::vector<CRect> m_hitAreas;
    std::vector<int32_t> m_levels;
    CBitmap* m_offBitmap = nullptr;
    CBitmap* m_onBitmap = nullptr;
    std::string m_title;
    uint64_t m_lastDraw = 0;
    bool m_editing = false;
};

} // namespace Mirda
