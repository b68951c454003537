// The whole editor built over a running effect, without a window: its read-out and labels against
// their boxes, typed values, keys and gestures as the host sees them.
#include "dsp/CKavren.h"
#include "editor/AttachedWindow.h"
#include "editor/CKavrenEditor.h"
#include "editor/ReadoutLine.h"
#include "gui/DrawContext.h"
#include "gui/Font.h"
#include "gui/KeyCodes.h"
#include "gui/MyFrame.h"
#include "gui/ParamDisplay.h"
#include "gui/TextField.h"
#include "gui/TextFit.h"
#include "params/KavrenParameters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace Mirda;

namespace {

// What the host is told: gestures through the callback, values by listening as the adapters do.
struct HostLog : Tessu::TessuCallback, Tessu::ParameterChangeListener {
    std::vector<std::string> events;
    int32_t beginEdit(int32_t index) override {
        return events.push_back("begin " + std::to_string(index)), 1;
    }
    int32_t endEdit(int32_t index) override { return events.push_back("end " + std::to_string(index)), 1; }
    void parameterChanged(Tessu::IPluginParameter* p) override {
        events.push_back("automate " +
                         std::to_string(static_cast<Tessu::ParameterProperty*>(p)->getHostIndex()));
    }
};

struct Editor : ::testing::Test {
    HostLog host;
    CKavren effect{&host};
    CKavrenEditor editor{&effect};
    CDrawContext* measure = new CDrawContext(CPixelBuffer{});

    void SetUp() override { open(1.0); }
    void TearDown() override {
        editor.keepOffscreen(false);
        measure->release();
    }
    void open(double scale) {
        editor.keepOffscreen(false);
        editor.setFixedScale(float(scale));
        editor.keepOffscreen(true);
    }
    CMyFrame* frame() const { return static_cast<CMyFrame*>(editor.getFrame()); }
    std::string readout() { return editor.readout().getLinkedText(); }
    // An idle pass as an open editor has it, drawn offscreen.
    void idle() {
        double size[4];
        editor.getSize(size);
        std::vector<uint8_t> pixels(size_t(size[2] * size[3] * 4));
        editor.renderOffscreen({pixels.data(), int32_t(size[2]), int32_t(size[3]), int32_t(size[2] * 4)});
    }

    template <class View> void collect(CView* view, std::vector<View*>& out) {
        if (auto* match = dynamic_cast<View*>(view)) out.push_back(match);
        if (auto* container = dynamic_cast<CViewContainer*>(view))
            for (CView* child : container->getChildren()) collect(child, out);
    }
    template <class View> std::vector<View*> all() {
        std::vector<View*> out;
        collect(frame(), out);
        return out;
    }
    CControl* controlOf(const char* key) {
        for (CControl* control : all<CControl>())
            if (control->getParameter() && !std::strcmp(control->getParameter()->getKey(), key))
                return control;
        return nullptr;
    }
    CPoint centreOf(CView* view) const {
        const CRect r = view->parentToFrame(view->getViewSize());
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    double width(const std::string& text, double size, int32_t style) {
        measure->setFont(CFontDesc::getDefaultFont(), size, style);
        return measure->getStringWidth(text.c_str());
    }
    void key(uint8_t virt, int32_t character = 0) {
        editor.onKeyDown({character, virt, 0});
        editor.onKeyUp({character, virt, 0});
    }
};

// Every parameter at both ends of its range, at 100, 150 and 200 %: the read-out line sets its name and
// value without an ellipsis and inside the line, the dials' labels and the module windows' dials fit too.
TEST_F(Editor, EveryReadoutAndLabelFitsItsBoxAtEveryScale) {
    for (double scale : {1.0, 1.5, 2.0}) {
        open(scale);
        const CRect line = all<CReadoutLine>().at(0)->getViewSize();
        std::map<std::string, CControl*> shownBy;
        for (CControl* control : all<CControl>())
            if (control->getParameter()) shownBy.emplace(control->getParameter()->getKey(), control);
        for (int32_t id = 0; id < kParameterCount; ++id) {
            Tessu::ParameterProperty* p = effect.findParameterById(id);
            const float before = p->getValue();
            for (float end : {p->getMinimum(), p->getMaximum()}) {
                p->setValue(end);
                idle();
                const auto shown = shownBy.find(p->getKey());
                char generic[256] = {};
                p->formatValue(p->getValue(), generic, Tessu::kFormatWithName | Tessu::kFormatWithUnit);
                const std::string text = shown != shownBy.end() ? shown->second->getReadoutText() : generic;
                const auto layout = CReadoutLine::layout(measure, text, line, scale);
                const std::string where = text + " at " + std::to_string(scale);
                ASSERT_EQ(layout.count, 2) << where;
                EXPECT_EQ(layout.lines[0].text + ": " + layout.lines[1].text, text)
                    << "no ellipsis: " << where;
                for (const auto& l : layout.lines)
                    EXPECT_LE(width(l.text, l.size, kBoldFace), line.width() - 8 * scale) << where;
            }
            p->setValue(before);
        }
        for (CParamDisplay* label : all<CParamDisplay>()) {
            if (dynamic_cast<CReadoutLine*>(label) || !label->getParameter() || !label->getFont()) continue;
            Tessu::ParameterProperty* p = label->getParameter();
            for (float end : {p->getMinimum(), p->getMaximum()}) {
                const std::string text = label->formatText(p->toNormalized(end));
                measure->setFont(label->getFont());
                const double size = fitFontSize(measure, text, label->getViewSize().width(),
                                                label->getFont()->getSize(), 8 * scale);
                EXPECT_LE(width(text, size, label->getFont()->getStyle()), label->getViewSize().width())
                    << text << " at " << scale;
            }
        }
        for (CModuleDial* dial : all<CModuleDial>()) {
            Tessu::ParameterProperty* p = dial->getParameter();
            for (float end : {p->getMinimum(), p->getMaximum()}) {
                char value[256] = {};
                p->formatValue(end, value, Tessu::kFormatWithUnit);
                const std::string text = dial->getReadoutText();
                const std::string name = text.substr(0, text.find(": "));
                EXPECT_LE(width(name, 8 * scale, kNormalFace) + width(value, 8 * scale, kBoldFace) +
                              4 * scale,
                          dial->getViewSize().width())
                    << name << " " << value << " at " << scale;
            }
        }
    }
}

// The read-out shows a hovered control, follows the host's changes of its parameter, rests when the
// pointer leaves, and a new opening starts at rest.
TEST_F(Editor, ReadoutFollowsTheHostAndRestsWhenThePointerLeaves) {
    CControl* cutoff = controlOf("LOWPASSFREQ");
    CPoint over = centreOf(cutoff), outside(-5, -5);
    frame()->onMouseMoved(over, 0);
    const std::string hovered = readout();
    EXPECT_NE(hovered.find("LowPass Frequency"), std::string::npos);
    effect.findParameterByKey("LOWPASSFREQ")->setValue(1234.0f);
    idle();
    EXPECT_NE(readout(), hovered);
    EXPECT_NE(readout().find("1234"), std::string::npos) << readout();
    frame()->onMouseExited(outside, 0);
    EXPECT_EQ(readout(), CKavrenEditor::kDefaultReadout);
    frame()->onMouseMoved(over, 0);
    open(1.0);
    EXPECT_EQ(readout(), CKavrenEditor::kDefaultReadout);
    // LEDs and switches read out on hover, in the panel's words.
    for (const auto& [key, words] : {std::pair{"LOWPASSSLOPE", "24 dB/oct"}, std::pair{"FILTERMODE", "SER"},
                                     std::pair{"LINKFILTERS", "Link Filters"}}) {
        CPoint at = centreOf(controlOf(key));
        frame()->onMouseMoved(at, 0);
        EXPECT_NE(readout().find(words), std::string::npos) << key << ": " << readout();
    }
}

// A double click on a dial opens the field; Return applies a typed value as one gesture, bad text and
// Escape (decoded as hosts send keys) leave the value alone.
TEST_F(Editor, TypedValuesReachTheHostAsOneGesture) {
    Tessu::ParameterProperty* cutoff = effect.findParameterByKey("LOWPASSFREQ");
    cutoff->addListener(&host, false);
    CPoint dial = centreOf(controlOf("LOWPASSFREQ"));
    const auto type = [&](const std::string& text, uint8_t ending) {
        frame()->onMouseDown(dial, kLButton | kDoubleClick);
        frame()->onMouseUp(dial, kLButton);
        auto* field = dynamic_cast<CTextField*>(frame()->getFocusView());
        if (!field) return false;
        for (char c : text) key(0, c); // the shown value is selected: typing replaces it
        key(ending);
        return frame()->getFocusView() == nullptr;
    };
    const int32_t index = cutoff->getHostIndex();
    const std::string begin = "begin " + std::to_string(index), end = "end " + std::to_string(index),
                      automate = "automate " + std::to_string(index);
    const struct {
        const char* text;
        uint8_t ending;
        float expected;
    } cases[] = {{"800", VKEY_RETURN, 800.0f},
                 {"1.2k", VKEY_RETURN, 1200.0f},
                 {"loud", VKEY_RETURN, 1200.0f},
                 {"300", VKEY_ESCAPE, 1200.0f},
                 {"99999", VKEY_RETURN, 22050.0f}};
    for (const auto& c : cases) {
        host.events.clear();
        ASSERT_TRUE(type(c.text, c.ending)) << c.text << ": the field opens and closes";
        EXPECT_FLOAT_EQ(cutoff->getValue(), c.expected) << c.text;
        const bool applied = c.ending == VKEY_RETURN && std::string(c.text) != "loud";
        const std::vector<std::string> gesture{begin, automate, end};
        EXPECT_EQ(host.events, applied ? gesture : std::vector<std::string>()) << c.text;
    }
    // Gains in dB and ranges in percent, as the labels show them.
    Tessu::ParameterProperty& gain = *effect.findParameterByKey("INPUTGAIN");
    float plain = 0;
    ASSERT_TRUE(CValueEntry::readTypedValue(gain, "-6", plain));
    EXPECT_NEAR(plain, 0.501f, 0.001f);
    ASSERT_TRUE(CValueEntry::readTypedValue(*effect.findParameterByKey("LOWPASSQ"), "50%", plain));
    EXPECT_FLOAT_EQ(plain, 0.5f);
    cutoff->removeListener(&host);
}

// Closing the editor in the middle of a drag ends the host's gesture.
TEST_F(Editor, ClosingMidDragEndsTheGesture) {
    CControl* gain = controlOf("INPUTGAIN");
    CPoint at = centreOf(gain);
    frame()->onMouseDown(at, kLButton);
    at.y -= 20;
    frame()->onMouseMoved(at, kLButton);
    const int32_t index = gain->getParameter()->getHostIndex();
    ASSERT_EQ(host.events.front(), "begin " + std::to_string(index));
    editor.keepOffscreen(false);
    EXPECT_EQ(host.events.back(), "end " + std::to_string(index));
}

} // namespace
