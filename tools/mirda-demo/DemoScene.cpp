#include "DemoScene.h"

#include "gui/Bitmap.h"
#include "gui/Buttons.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/Knob.h"
#include "gui/MiniDial.h"
#include "gui/OptionMenu.h"
#include "gui/ParamDisplay.h"
#include "gui/TextEdit.h"

#include <cmath>
#include <numbers>

using namespace Mirda;

DemoParameters::DemoParameters() {
    cutoff.initFromDescriptor({"LP_FREQ", "LowPass.Freq.", "Low-pass cut-off", 40, 22050, 1000, 1000, true,
                               30, Tessu::kUnitHertz, 0});
    resonance.initFromDescriptor(
        {"LP_RESO", "Resonance", "Low-pass resonance", 0, 1, 0.3f, 0.3f, true, 0, Tessu::kUnitPercent, 1});
    slope.initFromDescriptor(
        {"LP_SLOPE", "Slope", "Low-pass slope", 0, 3, 1, 1, true, 0, Tessu::kUnitInteger, 2});
    mode.initFromDescriptor(
        {"ROUTING", "Routing", "Filter routing", 0, 2, 0, 0, true, 0, Tessu::kUnitInteger, 3});
    bypass.initFromDescriptor({"BYPASS", "Bypass", "Bypass", 0, 1, 0, 0, true, 0, Tessu::kUnitOnOff, 4});
    mix.initFromDescriptor({"MIX", "Mix", "Dry/wet mix", 0, 1, 1, 1, true, 0, Tessu::kUnitPercent, 5});
}

namespace {

// A filmstrip of `frames` knob images drawn with the framework itself.
CBitmap* makeKnobFilmstrip(int32_t size, int32_t frames) {
    auto* strip = new CBitmap(size, size * frames);
    auto* context = new CDrawContext(strip->getPixelBuffer());
    for (int32_t i = 0; i < frames; ++i) {
        const double top = i * size;
        const CRect body(4, top + 4, size - 4, top + size - 4);
        context->setFillColor(CColor{46, 50, 58, 255});
        context->setFrameColor(CColor{20, 22, 26, 255});
        context->setLineWidth(2);
        context->drawEllipse(body, kDrawFilledAndStroked);
        const double value = static_cast<double>(i) / (frames - 1);
        context->setFrameColor(CColor{255, 150, 40, 255});
        context->setLineWidth(3);
        CRect ring(1.5, top + 1.5, size - 1.5, top + size - 1.5);
        if (value > 0) context->drawArc(ring, 135, 135 + 270 * value);
        const double angle = (135 + 270 * value) * std::numbers::pi / 180;
        const double cx = size / 2.0, cy = top + size / 2.0, r = size / 2.0 - 9;
        context->setFrameColor(kWhiteCColor);
        context->setLineWidth(2.5);
        context->drawLine(CPoint(cx + std::cos(angle) * r * 0.3 - 0.5, cy + std::sin(angle) * r * 0.3 - 0.5),
                          CPoint(cx + std::cos(angle) * r - 0.5, cy + std::sin(angle) * r - 0.5));
    }
    context->release();
    return strip;
}

CTextLabel* label(const CRect& r, const char* text, int32_t align = kCenterText) {
    auto* l = new CTextLabel(r, text, nullptr, align);
    l->setFontColor(CColor{200, 204, 212, 255});
    return l;
}

} // namespace

CFrame* buildDemoFrame(DemoParameters& p) {
    auto* frame = new CFrame(CRect(0, 0, 420, 250));
    frame->setBackgroundColor(CColor{30, 32, 38, 255});

    auto* panel = new CViewContainer(CRect(10, 10, 410, 240));
    panel->setBackgroundColor(CColor{40, 43, 50, 255});
    frame->addView(panel);

    auto* title = label(CRect(10, 6, 390, 24), "Mirda controls", kLeftText);
    auto* bold = new CFontDesc("Arial", 14, kBoldFace);
    title->setFont(bold);
    bold->release();
    panel->addView(title);

    CBitmap* strip = makeKnobFilmstrip(64, 61);
    auto* cutoff = new Mirda_AnimKnob(CRect(20, 40, 84, 104), nullptr, 0, 61, 64, strip);
    strip->release();
    cutoff->setDetent(false);
    cutoff->bindParameter(&p.cutoff);
    panel->addView(cutoff);
    panel->addView(label(CRect(10, 106, 94, 120), "Cut-off"));
    auto* cutoffText = new CParamDisplay(CRect(10, 122, 94, 138));
    cutoffText->bindParameter(&p.cutoff);
    cutoffText->setStyle(true, true);
    cutoffText->setBackColor(CColor{22, 24, 28, 255});
    panel->addView(cutoffText);

    auto* reso = new CKnob(CRect(110, 48, 158, 96));
    reso->setDetent(true, 0.5f, 0.05f);
    reso->bindParameter(&p.resonance);
    panel->addView(reso);
    panel->addView(label(CRect(100, 106, 168, 120), "Resonance"));

    auto* mix = new Mirda_MiniDial(CRect(186, 56, 218, 88));
    mix->bindParameter(&p.mix);
    panel->addView(mix);
    panel->addView(label(CRect(172, 106, 232, 120), "Mix"));

    auto* routing = new Mirda_RadioGroup(CRect(250, 40, 390, 100), nullptr, 0,
                                         {CRect(0, 16, 12, 28), CRect(0, 32, 12, 44), CRect(0, 48, 12, 60)},
                                         nullptr, nullptr, "Routing");
    routing->bindParameter(&p.mode);
    panel->addView(routing);
    panel->addView(label(CRect(266, 56, 390, 68), "Serial", kLeftText));
    panel->addView(label(CRect(266, 72, 390, 84), "Parallel", kLeftText));
    panel->addView(label(CRect(266, 88, 390, 100), "Split", kLeftText));

    auto* bypass = new Mirda_ActionButton(CRect(250, 112, 340, 132), nullptr, 0, nullptr, nullptr,
                                          Mirda_ActionButton::kToggle);
    bypass->setTitle("Bypass");
    bypass->bindParameter(&p.bypass);
    panel->addView(bypass);

    auto* slope = new COptionMenu(CRect(10, 160, 130, 180), nullptr, 0, nullptr, COptionMenu::kCheckStyle);
    for (const char* s : {"12 dB/oct", "24 dB/oct", "48 dB/oct", "96 dB/oct"}) slope->addEntry(s);
    slope->setStyle(true, true);
    slope->setBackColor(CColor{22, 24, 28, 255});
    slope->bindParameter(&p.slope);
    slope->setCurrent(static_cast<int32_t>(p.slope.getValue()));
    panel->addView(slope);

    auto* name = new Mirda_TextEdit(CRect(150, 160, 330, 180), nullptr, 0, "Init Preset");
    panel->addView(name);

    auto* reset = new CXButton(CRect(150, 196, 250, 218), "Reset", [&p] {
        p.cutoff.resetToDefault();
        p.resonance.resetToDefault();
        p.mix.resetToDefault();
    });
    panel->addView(reset);
    return frame;
}
