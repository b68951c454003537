#include "gui/Buttons.h"
#include "gui/DrawContext.h"
#include "gui/Frame.h"
#include "gui/Knob.h"
#include "gui/MiniDial.h"
#include "gui/OptionMenu.h"
#include "gui/TextEdit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace Mirda;

namespace {

struct RecordingListener : CControlListener, IEditor {
    std::vector<std::string> events;
    void valueChanged(CControl* c) override { events.push_back("changed " + std::to_string(c->getValue())); }
    void controlBeginEdit(CControl*) override { events.push_back("begin"); }
    void controlEndEdit(CControl*) override { events.push_back("end"); }
    void beginEdit(CControl*) override { events.push_back("host begin"); }
    void endEdit(CControl*) override { events.push_back("host end"); }
};

struct Controls : ::testing::Test {
    RecordingListener listener;
    CFrame* frame = new CFrame(CRect(0, 0, 400, 400), &listener);
    Tessu::ParameterProperty param;
    // Parameters of single tests; members so that they outlive the controls bound to them.
    Tessu::ParameterProperty mode, page, amount, onOff, choice, flag, slope;
    CKnob* knob = new CKnob(CRect(100, 100, 150, 150), &listener);

    void SetUp() override {
        param.setDefault(0.25f);
        knob->bindParameter(&param);
        frame->addView(knob);
    }
    void TearDown() override {
        frame->close(); // attached views hold references to the frame
        frame->release();
    }

    // A drag on the knob from (125, fromY) through the given points, then release.
    void press(double y, int32_t buttons = kLButton) {
        CPoint p(125, y);
        frame->onMouseDown(p, buttons);
    }
    void moveTo(double y, int32_t buttons = kLButton) {
        CPoint p(125, y);
        frame->onMouseMoved(p, buttons);
    }
    void release(double y) {
        CPoint p(125, y);
        frame->onMouseUp(p, 0);
    }
};

} // namespace

TEST_F(Controls, DragOfTwoHundredPixelsCoversTheRangeAndReportsTheGesture) {
    press(140);
    moveTo(40);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    moveTo(-60);
    EXPECT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(param.getValue(), 1.0f);
    moveTo(-200);
    EXPECT_EQ(knob->getValue(), 1.0f) << "clamped";
    release(-200);
    ASSERT_GE(listener.events.size(), 6u);
    EXPECT_EQ(listener.events[0], "begin");
    EXPECT_EQ(listener.events[1], "host begin");
    EXPECT_EQ(listener.events[listener.events.size() - 2], "host end");
    EXPECT_EQ(listener.events.back(), "end");
}

TEST_F(Controls, ShiftMidDragDoesNotJumpAndIsTenTimesFiner) {
    press(140);
    moveTo(90);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    // The pixel on which shift goes down still counts at the old speed.
    moveTo(89, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.255, 1e-6);
    moveTo(79, kLButton | kShift);
    EXPECT_NEAR(knob->getValue(), 0.260, 1e-6);
    moveTo(78, kLButton);
    EXPECT_NEAR(knob->getValue(), 0.2605, 1e-6);
    moveTo(77, kLButton);
    EXPECT_NEAR(knob->getValue(), 0.2655, 1e-6) << "without shift the drag is back at full speed";
    release(78);
}

TEST_F(Controls, RightButtonDragStartsInFineMode) {
    press(140, kRButton);
    moveTo(40, kRButton);
    EXPECT_NEAR(knob->getValue(), 0.05, 1e-6);
    release(40);
}

TEST_F(Controls, DetentHoldsTheCentreAndStaysContinuousOutside) {
    knob->setDetent(true, 0.5f, 0.05f);
    knob->setValue(0.5f);
    press(140);
    moveTo(130); // raw 0.55: edge of the band
    EXPECT_EQ(knob->getValue(), 0.5f);
    moveTo(120); // raw 0.60
    EXPECT_NEAR(knob->getValue(), 0.55, 1e-6);
    moveTo(160); // raw 0.40
    EXPECT_NEAR(knob->getValue(), 0.45, 1e-6);
    release(160);
    // A drag that starts outside the band starts where the knob shows its value.
    press(140);
    moveTo(140.0 - 1);
    EXPECT_NEAR(knob->getValue(), 0.455, 1e-6);
    release(139);
}

TEST_F(Controls, MiddleClickAndControlClickResetToTheParameterDefault) {
    knob->setValue(0.9f);
    press(120, kMButton);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.25f);
    EXPECT_FALSE(frame->hasMouseCapture()) << "a reset wants no moves";
    knob->setValue(0.9f);
    press(120, kLButton | kControl);
    EXPECT_FLOAT_EQ(param.getValue(), 0.25f);
}

TEST_F(Controls, WheelNotchesAndSteps) {
    knob->setValue(0.5f);
    EXPECT_TRUE(frame->onWheel(CPoint(120, 120), 0, 1, 0));
    EXPECT_NEAR(knob->getValue(), 0.6, 1e-6);
    EXPECT_TRUE(frame->onWheel(CPoint(120, 120), 0, -1, kShift));
    EXPECT_NEAR(knob->getValue(), 0.59, 1e-6);
    EXPECT_NEAR(param.getValue(), 0.59, 1e-6);
    EXPECT_FALSE(frame->onWheel(CPoint(10, 10), 0, 1, 0));
    EXPECT_FALSE(frame->onWheel(CPoint(120, 120), 1, 1, 0)) << "horizontal scrolling";
    EXPECT_NEAR(knob->getValue(), 0.59, 1e-6);

    mode.setMaximum(3);
    knob->setSteps(4);
    knob->bindParameter(&mode);
    for (float expected : {1.0f, 2.0f, 3.0f, 3.0f}) {
        frame->onWheel(CPoint(120, 120), 0, 1, kShift);
        EXPECT_EQ(mode.getValue(), expected) << "one step per notch";
    }
    frame->onWheel(CPoint(120, 120), 0, -1, 0);
    EXPECT_EQ(mode.getValue(), 2.0f);
    EXPECT_NEAR(knob->getValue(), 2.0 / 3, 1e-6);

    auto* dial = new Mirda_MiniDial(CRect(200, 200, 230, 230), &listener);
    frame->addView(dial);
    EXPECT_FALSE(frame->onWheel(CPoint(215, 215), 1, 1, 0)) << "horizontal scrolling";
    EXPECT_EQ(dial->getValue(), 0.0f);
}

TEST_F(Controls, WheelGesturesAreBracketedAndAStrayReleaseSendsNoEnd) {
    frame->onWheel(CPoint(120, 120), 0, 1, 0);
    EXPECT_EQ(listener.events.front(), "begin");
    EXPECT_EQ(listener.events.back(), "end");
    listener.events.clear();
    release(120);
    moveTo(300, 0);
    CPoint elsewhere(300, 300);
    frame->onMouseDown(elsewhere, kLButton);
    frame->onMouseUp(elsewhere, 0);
    EXPECT_TRUE(listener.events.empty()) << listener.events.front();
}

TEST_F(Controls, SteppedKnobOnlyProducesItsSteps) {
    mode.setMaximum(3);
    knob->setSteps(4);
    knob->bindParameter(&mode);
    std::vector<float> seen;
    press(140);
    for (double y = 140; y >= -70; y -= 7) {
        moveTo(y);
        seen.push_back(knob->getValue());
    }
    release(-70);
    for (float v : seen) {
        const float k = v * 3;
        EXPECT_NEAR(k, std::round(k), 1e-6) << v;
    }
    EXPECT_EQ(seen.back(), 1.0f);
    EXPECT_EQ(mode.getValue(), 3.0f);
    mode.setValue(1.0f);
    frame->idle();
    EXPECT_NEAR(knob->getValue(), 1.0 / 3, 1e-6);
}

TEST_F(Controls, ParameterChangesReachTheControlAtIdle) {
    param.setNormalizedValue(0.75f);
    EXPECT_EQ(knob->getValue(), 0.0f) << "notifications may arrive on any thread; applied at idle";
    frame->idle();
    EXPECT_FLOAT_EQ(knob->getValue(), 0.75f);

    knob->setVisibilitySource(&page);
    EXPECT_FALSE(knob->isVisible());
    page.setValue(1.0f);
    frame->idle();
    EXPECT_TRUE(knob->isVisible());
}

TEST_F(Controls, MiniDialResetsButNotOnDoubleClickAndTogglesOnOffParameters) {
    auto* dial = new Mirda_MiniDial(CRect(200, 200, 230, 230), &listener);
    amount.setDefault(0.5f);
    dial->bindParameter(&amount);
    frame->addView(dial);
    dial->setValue(0.8f);
    CPoint p(215, 215);
    frame->onMouseDown(p, kMButton | kDoubleClick);
    frame->onMouseUp(p, 0);
    EXPECT_FLOAT_EQ(dial->getValue(), 0.8f);
    frame->onMouseDown(p, kMButton);
    EXPECT_FLOAT_EQ(dial->getValue(), 0.5f);

    onOff.setUnitKind(Tessu::kUnitOnOff);
    dial->bindParameter(&onOff);
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseHandledNoFollow);
    EXPECT_EQ(onOff.getValue(), 1.0f);
    frame->onMouseDown(p, kLButton);
    EXPECT_EQ(onOff.getValue(), 0.0f);
}

TEST_F(Controls, RadioGroupSelectsByRectAndCrossFades) {
    auto* group = new Mirda_RadioGroup(CRect(0, 300, 90, 320), &listener, 0,
                                       {CRect(0, 0, 20, 20), CRect(30, 0, 50, 20), CRect(60, 0, 80, 20)});
    group->bindParameter(&choice);
    frame->addView(group);
    CPoint p(70, 310);
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseHandled);
    frame->onMouseUp(p, 0);
    EXPECT_EQ(group->getSelected(), 2);
    EXPECT_EQ(choice.getValue(), 1.0f);
    CPoint gap(25, 310);
    EXPECT_EQ(frame->onMouseDown(gap, kLButton), kMouseNotHandled);
    // With hit areas (an LED and its label) the gap belongs to the first choice.
    group->setHitAreas({CRect(0, 0, 28, 20), CRect(28, 0, 58, 20), CRect(58, 0, 90, 20)});
    EXPECT_EQ(frame->onMouseDown(gap, kLButton), kMouseHandled);
    frame->onMouseUp(gap, 0);
    EXPECT_EQ(group->getSelected(), 0);
}

TEST_F(Controls, KnobsAreRoundSoANestedDialsRingShowsThroughItsCorners) {
    Tessu::ParameterProperty inner;
    auto* small = new CKnob(CRect(110, 110, 140, 140), &listener);
    small->bindParameter(&inner);
    frame->addView(small);
    CPoint corner(112, 112), centre(125, 125);
    frame->onMouseDown(corner, kLButton);
    frame->onMouseUp(corner, 0);
    EXPECT_EQ(listener.events.front(), "begin");
    EXPECT_TRUE(knob->hitTest(corner));
    EXPECT_FALSE(small->hitTest(corner));
    EXPECT_TRUE(small->hitTest(centre));
    frame->removeView(small, true);
}

TEST_F(Controls, ActionButtonModes) {
    auto* toggle = new Mirda_ActionButton(CRect(0, 0, 40, 20), &listener, 0, nullptr, nullptr,
                                          Mirda_ActionButton::kToggle);
    toggle->bindParameter(&flag);
    frame->addView(toggle);
    CPoint p(10, 10);
    EXPECT_EQ(frame->onMouseDown(p, kLButton), kMouseHandledNoFollow);
    EXPECT_EQ(flag.getValue(), 1.0f);
    frame->onMouseDown(p, kRButton);
    EXPECT_EQ(flag.getValue(), 0.0f);

    auto* momentary = new Mirda_ActionButton(CRect(50, 0, 90, 20), &listener, 0, nullptr, nullptr,
                                             Mirda_ActionButton::kMomentary);
    momentary->bindParameter(&flag);
    frame->addView(momentary);
    CPoint q(60, 10);
    frame->onMouseDown(q, kLButton);
    EXPECT_EQ(flag.getValue(), 1.0f);
    frame->onMouseUp(q, 0);
    EXPECT_EQ(flag.getValue(), 0.0f);
}

TEST_F(Controls, TextFieldEditingAndItsThreeEndings) {
    auto* edit = new Mirda_TextEdit(CRect(0, 350, 150, 370), &listener, 0, "Init");
    std::vector<int32_t> endings;
    edit->setEndCallback([&](Mirda_TextEdit*, int32_t flag) { endings.push_back(flag); });
    frame->addView(edit);
    CPoint p(20, 360);
    frame->onMouseDown(p, kLButton);
    ASSERT_TRUE(edit->isEditing());
    const auto key = [&](int32_t ch, uint8_t virt = 0, uint8_t mod = 0) {
        VstKeyCode k{ch, virt, mod};
        frame->onKeyDown(k);
    };
    CTextField* field = edit->getField();
    key(0, VKEY_TAB);
    EXPECT_EQ(edit->getField(), field) << "Tab with nowhere to go stays in the field";
    key(0, VKEY_END);
    key('!');
    key(0, VKEY_HOME);
    key(0, VKEY_DELETE);
    key(0, VKEY_LEFT, MODIFIER_SHIFT); // nothing before the caret
    key(0, VKEY_END, MODIFIER_SHIFT);
    key(0, VKEY_BACK);
    key('O');
    key('k');
    EXPECT_EQ(edit->getField()->getText(), "Ok");
    key(0, VKEY_RETURN);
    EXPECT_EQ(edit->getText(), "Ok");
    EXPECT_FALSE(edit->isEditing());

    frame->onMouseDown(p, kLButton);
    key('x');
    key(0, VKEY_ESCAPE);
    EXPECT_EQ(edit->getText(), "Ok") << "escape cancels";

    frame->onMouseDown(p, kLButton);
    key('y');
    CPoint away(300, 20);
    frame->onMouseDown(away, kLButton);
    EXPECT_EQ(edit->getText(), "y") << "focus loss keeps the text";
    EXPECT_EQ(endings, (std::vector<int32_t>{1, -1, 0}));
}

TEST_F(Controls, TextFieldShowsTheViewsColoursAndScrollsToTheCaret) {
    auto* edit =
        new Mirda_TextEdit(CRect(0, 350, 60, 370), &listener, 0, "A name much longer than its field");
    edit->setBackColor(CColor{24, 26, 30, 255});
    frame->addView(edit);
    CPoint p(20, 360);
    frame->onMouseDown(p, kLButton);
    CTextField* field = edit->getField();
    ASSERT_NE(field, nullptr);
    COwnedPixelBuffer target(400, 400);
    auto* context = new CDrawContext(target.desc());
    frame->renderAll(context);
    const uint8_t* inside = target.desc().row(351) + 30 * 4;
    EXPECT_EQ((std::vector<int>{inside[0], inside[1], inside[2]}), (std::vector<int>{30, 26, 24}))
        << "the view's back colour";
    context->release();

    for (uint8_t virt : {VKEY_END, VKEY_HOME, VKEY_END}) {
        VstKeyCode k{0, virt, 0};
        frame->onKeyDown(k);
        EXPECT_GE(field->caretX(), 0);
        EXPECT_LE(field->caretX(), 60) << "the caret stays in sight";
    }
}

TEST_F(Controls, AnOpenTextFieldIsReleasedOnceWhateverTearsItDown) {
    // The editor closing or the field's container going away while a field is open.
    for (bool closeFrame : {false, true}) {
        auto* box = new CViewContainer(CRect(0, 340, 200, 400));
        auto* edit = new Mirda_TextEdit(CRect(0, 10, 150, 30), &listener, 0, "Init");
        box->addView(edit);
        frame->addView(box);
        CPoint p(20, 360);
        frame->onMouseDown(p, kLButton);
        ASSERT_TRUE(edit->isEditing());
        if (closeFrame)
            frame->close();
        else
            EXPECT_TRUE(frame->removeView(box, true));
    }
}

TEST_F(Controls, OptionMenuTakesTheChoiceFromThePopup) {
    slope.setMaximum(3);
    auto* menu = new COptionMenu(CRect(0, 380, 100, 398), &listener, 0, nullptr, COptionMenu::kCheckStyle);
    for (const char* title : {"12 dB", "24 dB", "48 dB", "96 dB"}) menu->addEntry(title);
    auto* sub = new COptionMenu(CRect());
    sub->addEntry("More");
    menu->addEntry("Extra", sub);
    sub->release();
    menu->bindParameter(&slope);
    frame->addView(menu);
    EXPECT_FALSE(menu->popup()) << "no platform frame, no popup";
    menu->popupFinished(menu, 2);
    EXPECT_EQ(menu->getCurrentIndex(), 2);
    EXPECT_TRUE(menu->getEntry(2)->isChecked());
    EXPECT_FALSE(menu->getEntry(0)->isChecked());
    EXPECT_EQ(slope.getValue(), 2.0f);
    EXPECT_EQ(menu->formatText(0), "48 dB");
    menu->popupFinished(sub, 0);
    EXPECT_EQ(menu->getLastMenu(), sub);
    EXPECT_EQ(menu->getCurrentIndex(), 2);
    menu->popupFinished(menu, -1);
    EXPECT_EQ(menu->getLastMenu(), nullptr);
}
