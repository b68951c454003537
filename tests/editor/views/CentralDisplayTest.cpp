// The central display driven as the editor drives it, without a window: clicks on the module windows'
// tabs and dials, idle passes, and repaints into a pixel buffer.
#include "editor/LineVUBar.h"
#include "editor/MultiDisplay.h"
#include "editor/PlotDisplay.h"
#include "gui/DrawContext.h"
#include "gui/PixelBuffer.h"
#include "utilities/EffectHarness.h"

#include <gtest/gtest.h>

#include <string>

using namespace Mirda;

namespace {

struct CentralDisplay : ::testing::Test {
    EffectHarness harness;
    CMultiDisplay* display = nullptr;
    int supportRequests = 0;
    COwnedPixelBuffer pixels{496, 156};
    CDrawContext* context = new CDrawContext(pixels.desc());

    void SetUp() override {
        ModuleWindowContext c;
        c.effect = harness.effect.get();
        c.poll = [](CControl* control, Tessu::ParameterProperty* parameter) {
            control->bindParameter(parameter);
        };
        c.requestSupport = [this] { ++supportRequests; };
        display = new CMultiDisplay(CRect(0, 0, 496, 156), c);
    }
    void TearDown() override {
        display->release();
        context->release();
    }

    void press(CPoint where) {
        display->onMouseDown(where, kLButton);
        display->onMouseUp(where, kLButton);
    }
    void clickTab(const std::string& name) {
        const CRect& tab = display->window(name.c_str())->tabRect();
        press({(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
    }
    std::string openWindows() const {
        std::string names;
        for (CModuleWindow* window : display->windows())
            if (window->isOpen()) names += std::string(names.empty() ? "" : ",") + window->getName();
        return names;
    }
    void repaint() {
        display->update(0.0);
        display->draw(context);
    }
};

TEST_F(CentralDisplay, TabClicksFollowThePageRules) {
    const struct {
        const char* click;
        const char* open;
        int left, right;
    } steps[] = {
        {"Envelope", "Envelope", 1, 0},
        {"Ring Mod.", "Ring Mod.,Freq Mod.", 2, 0}, // page mates open together, Envelope closes
        {"LFO", "Ring Mod.,Freq Mod.,LFO", 2, 1},   // the other side is left alone
        {"Distortion", "Ring Mod.,Freq Mod.,Distortion,Limiter", 2, 2},
        {"Freq Mod.", "Ring Mod.,Distortion,Limiter", 2, 2}, // closing by the tab keeps the selector
        {"Freq Mod.", "Ring Mod.,Freq Mod.,Distortion,Limiter", 2, 2},
        {"System", "System", 0, 0}, // covers both sides
        {"Envelope", "Envelope", 1, 0},
    };
    EXPECT_EQ(openWindows(), "");
    for (const auto& step : steps) {
        clickTab(step.click);
        EXPECT_EQ(openWindows(), step.open) << step.click;
        EXPECT_EQ(display->pageLeft().getIntValue(), step.left) << step.click;
        EXPECT_EQ(display->pageRight().getIntValue(), step.right) << step.click;
    }
}

TEST_F(CentralDisplay, AClosedWindowTakesNoClicksAndAnOpenOnesDialsAndButtonsWork) {
    // The Envelope window's first dial ("LP Attack") sits at (50, 16)-(143, 28) in the display.
    Tessu::ParameterProperty* attack = harness.effect->findParameterByKey("LP Attack");
    const float before = attack->getNormalizedValue();
    CPoint at(96, 22);
    EXPECT_EQ(display->onMouseDown(at, kLButton), kMouseNotHandled);
    clickTab("Envelope");
    ASSERT_EQ(display->onMouseDown(at, kLButton), kMouseHandled);
    CPoint up(96, 2);
    display->onMouseMoved(up, kLButton);
    display->onMouseUp(up, kLButton);
    EXPECT_GT(attack->getNormalizedValue(), before + 0.05f);

    // The System window's "Support", at the right edge of the window's third row, asks for the report.
    const CPoint support(428, 94);
    press(support);
    EXPECT_EQ(supportRequests, 0) << "closed";
    clickTab("System");
    press(support);
    EXPECT_EQ(supportRequests, 1);
}

TEST_F(CentralDisplay, CurvesAreRecomputedOnlyAfterTheirParametersChange) {
    repaint();
    const int first = display->plot()->curvesComputed();
    EXPECT_EQ(first, 2); // no modulation: the low-pass and the high-pass curve
    repaint();
    EXPECT_EQ(display->plot()->curvesComputed(), first);
    harness.set("LOWPASSFREQ", 500.0f);
    repaint();
    EXPECT_EQ(display->plot()->curvesComputed(), first + 1);
    harness.set("LP StrengthLFO", 1.0f); // adds the low-pass curve where the LFO has moved it
    repaint();
    EXPECT_EQ(display->plot()->curvesComputed(), first + 2);
}

TEST_F(CentralDisplay, MetersShowTheLevelsOfTheProcessedAudio) {
    harness.set("OUTPUTGAIN", 0.5f);
    harness.run(sine(4096, 1000.0, 44100.0, 0.5f));
    harness.effect->takeInputPeaks(); // what the gain's ramp let through
    harness.effect->takeOutputPeaks();
    harness.run(sine(4096, 1000.0, 44100.0, 0.5f));
    display->update(0.0);
    EXPECT_NEAR(display->meter(0)->channel(0).levelDb(), decibels(0.5), 0.2);
    EXPECT_NEAR(display->meter(1)->channel(1).levelDb(), decibels(0.25), 0.5);
    // The queries clear: with no audio since, the follower falls by 1 % per pass.
    display->update(25.0);
    EXPECT_LT(display->meter(0)->channel(0).levelDb(), decibels(0.5));
    // Bypassed, the output meter shows what passes through: the input.
    harness.effect->setBypass(true);
    harness.run(sine(4096, 1000.0, 44100.0, 0.5f));
    display->update(50.0);
    harness.run(sine(4096, 1000.0, 44100.0, 0.5f));
    display->update(75.0);
    EXPECT_NEAR(display->meter(1)->channel(0).levelDb(), decibels(0.5), 0.2);
}

TEST(FolderLine, AFittingPathIsShownWholeALongOneIsCut) {
    const auto perCharacter = [](const std::string& text) { return double(text.size()); };
    EXPECT_EQ(fitFolderLine("/home/me/Presets/", 17, perCharacter), "/home/me/Presets/");
    EXPECT_EQ(fitFolderLine("/home/me/Presets/", 12, perCharacter), "/home/me....");
    EXPECT_EQ(fitFolderLine("/h/\xC3\xA9t\xC3\xA9/", 8, perCharacter), "/h/....")
        << "no cut inside a character";
}

} // namespace
