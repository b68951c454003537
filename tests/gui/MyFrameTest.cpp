#include "gui/MyFrame.h"
#include "gui/Knob.h"

#include <gtest/gtest.h>

#include <string>

using namespace Mirda;

namespace {

struct CountingListener : Tessu::ParameterChangeListener {
    int calls = 0;
    void parameterChanged(Tessu::IPluginParameter*) override { ++calls; }
};

} // namespace

TEST(MyFrame, ReadoutFollowsTheHoveredControlAndClearsOverEmptySpace) {
    char text[128] = "";
    Tessu::ParameterProperty readout;
    readout.setUnitKind(Tessu::kUnitText);
    readout.setLinkedText(text, sizeof text);
    CountingListener line;
    readout.addListener(&line, false);

    Tessu::ParameterProperty cutoff;
    cutoff.setName("Cut-off");
    cutoff.setNormalizedValue(0.5f);
    auto* frame = new CMyFrame(CRect(0, 0, 300, 200), nullptr, &readout, "kavren XL");
    EXPECT_TRUE(frame->isTypeOf("CFrame"));
    auto* knob = new CKnob(CRect(10, 10, 60, 60));
    knob->bindParameter(&cutoff);
    frame->addView(knob);

    CPoint overKnob(30, 30), empty(200, 150);
    frame->onMouseMoved(overKnob, 0);
    EXPECT_EQ(std::string(text), knob->getReadoutText());
    EXPECT_NE(std::string(text), "kavren XL");
    const int afterHover = line.calls;
    EXPECT_GE(afterHover, 1);

    frame->onMouseMoved(empty, 0);
    EXPECT_STREQ(text, "kavren XL");
    EXPECT_EQ(line.calls, afterHover + 1) << "the property is told once";
    frame->onMouseMoved(empty, 0);
    EXPECT_EQ(line.calls, afterHover + 1) << "nothing to clear the second time";

    readout.removeListener(&line);
    frame->close();
    frame->release();
}
