// The LV2 UI's traffic with its host: port events set the UI's parameter model and are not echoed back,
// the editor's gestures reach the host as writes to the control port under the gesture only, with touch
// around them, and the preset name shown is the one the ports match, never a wrong one.
#include "dsp/CKavren.h"
#include "editor/CKavrenEditor.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/PortValues.h"
#include "frame/lv2/TurtleBundle.h"
#include "frame/lv2/ui/KavrenUI.h"
#include "lv2/LilvHost.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

using Tessu::lv2::kFirstParameter;
using Tessu::lv2::PortPreset;

struct HostRecord {
    std::vector<std::pair<uint32_t, float>> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
};

void recordWrite(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                 const void* buffer) {
    ASSERT_EQ(size, sizeof(float));
    ASSERT_EQ(format, 0u);
    static_cast<HostRecord*>(controller)->writes.emplace_back(port, *static_cast<const float*>(buffer));
}

void recordTouch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    static_cast<HostRecord*>(handle)->touches.emplace_back(port, grabbed);
}

Tessu::TessuOS* createModel(Tessu::TessuCallback* callback) {
    return new CKavren(callback, CKavrenEditor::create);
}

// The factory presets as a host reads them from the bundle, in host index order.
const std::vector<PortPreset>& bundlePresets() {
    static const std::vector<PortPreset> presets = [] {
        LilvHost lilv;
        CKavren effect(nullptr);
        std::vector<PortPreset> list;
        for (const std::string& uri : lilv.presetUris()) {
            LilvState* state = lilv.loadPreset(uri);
            const std::map<std::string, float> values = LilvHost::portValues(state);
            PortPreset preset{lilv_state_get_label(state), {}};
            lilv_state_free(state);
            for (int32_t i = 0; i < effect.getHostParameterCount(); ++i)
                preset.ports.push_back(
                    values.at(Tessu::lv2::portSymbol(effect.getHostParameter(i)->getKey())));
            list.push_back(std::move(preset));
        }
        return list;
    }();
    return presets;
}

class Lv2Ui : public ::testing::Test {
protected:
    Tessu::ParameterProperty& parameter(int32_t id) { return *ui.getModel()->findParameterById(id); }
    uint32_t portOf(int32_t id) { return kFirstParameter + uint32_t(parameter(id).getHostIndex()); }
    void portEvent(uint32_t port, float value, uint32_t format = 0) {
        ui.portEvent(port, sizeof(float), format, &value);
    }
    // One host change: its port events, then the idle call that applies them.
    void hostSends(const std::vector<std::pair<uint32_t, float>>& events) {
        for (const auto& [port, value] : events) portEvent(port, value);
        ui.hostIdle();
    }
    void hostLoads(const PortPreset& preset) {
        for (size_t i = 0; i < preset.ports.size(); ++i)
            portEvent(kFirstParameter + uint32_t(i), preset.ports[i]);
        ui.hostIdle();
    }
    const PortPreset& preset(const std::string& name) {
        for (const PortPreset& p : bundlePresets())
            if (p.name == name) return p;
        throw std::out_of_range(name);
    }
    std::string shownName() { return static_cast<CKavren*>(ui.getModel())->getPresetName(); }

    HostRecord host;
    LV2UI_Touch touch{&host, recordTouch};
    Tessu::lv2::KavrenUI ui{createModel, {recordWrite, &host, nullptr, &touch}, &bundlePresets()};
};

} // namespace

TEST_F(Lv2Ui, PortEventsSetTheModelWithoutEchoAndIgnoreWhatIsNoParameter) {
    ASSERT_TRUE(ui.valid());
    hostSends({{portOf(kLowPassFreq), 1234.0f}});
    EXPECT_FLOAT_EQ(parameter(kLowPassFreq).getValue(), 1234.0f);
    hostSends({{portOf(kOutputGain), -6.0f}}); // decibels
    EXPECT_FLOAT_EQ(parameter(kOutputGain).getValue(), std::pow(10.0f, -0.3f));

    const float before = parameter(kLowPassFreq).getValue();
    portEvent(portOf(kLowPassFreq), 900.0f, 1); // an atom event, not a float
    for (uint32_t port : {uint32_t(Tessu::lv2::kInputLeft), uint32_t(Tessu::lv2::kEnabled),
                          uint32_t(Tessu::lv2::kLatency), uint32_t(Tessu::lv2::kPortCount)})
        portEvent(port, 900.0f);
    ui.hostIdle();
    EXPECT_EQ(parameter(kLowPassFreq).getValue(), before);
    EXPECT_TRUE(host.writes.empty());
}

// With the cut-offs linked the model moves the high pass along, but the plug-in derives that itself from the
// low-pass port: only the parameter under the gesture is written.
TEST_F(Lv2Ui, AGestureWritesOnlyItsOwnPortBetweenTouches) {
    hostSends(
        {{portOf(kLowPassFreq), 2000.0f}, {portOf(kHighPassFreq), 200.0f}, {portOf(kLinkFilters), 1.0f}});
    Tessu::TessuOS& model = *ui.getModel();

    model.beginEdit(&parameter(kLowPassFreq));
    parameter(kLowPassFreq).setValue(4000.0f);
    model.endEdit(&parameter(kLowPassFreq));

    EXPECT_NEAR(parameter(kHighPassFreq).getValue(), 400.0f, 0.01f);
    const uint32_t port = portOf(kLowPassFreq);
    EXPECT_EQ(host.writes, (std::vector<std::pair<uint32_t, float>>{{port, 4000.0f}}));
    EXPECT_EQ(host.touches, (std::vector<std::pair<uint32_t, bool>>{{port, true}, {port, false}}));

    // Outside a gesture (a preset loaded in the editor) every changed parameter goes to the host, gains in
    // decibels.
    host.writes.clear();
    parameter(kOutputGain).setValue(2.0f);
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].first, portOf(kOutputGain));
    EXPECT_NEAR(host.writes[0].second, 6.0206f, 1e-4f);
}

// A host's preset box sets every port at once, after the state that already holds the same values: the
// model takes them as they are (a filter-mode switch among them exchanges nothing) and shows the name.
TEST_F(Lv2Ui, EveryFactoryPresetTheHostLoadsShowsWithItsValuesAndName) {
    ASSERT_EQ(bundlePresets().size(), 133u);
    for (const PortPreset& loaded : bundlePresets()) {
        hostLoads(loaded);
        EXPECT_EQ(shownName(), loaded.name);
        for (int32_t i = 0; i < Tessu::lv2::kParameterPorts; ++i) {
            Tessu::ParameterProperty& p = *ui.getModel()->getHostParameter(i);
            EXPECT_NEAR(Tessu::lv2::portValue(p, p.getValue()), loaded.ports[size_t(i)],
                        1e-5f * std::fabs(loaded.ports[size_t(i)]))
                << loaded.name << " " << p.getKey();
        }
    }
    EXPECT_TRUE(host.writes.empty());
}

// One moved port is an edit, with the plug-in's consequences, and keeps the name; settings the host
// restores that equal no factory preset show as unknown, and the name returns with the preset's values.
TEST_F(Lv2Ui, HostEditsKeepTheNameAndUnknownSettingsShowNoOtherName) {
    const PortPreset& sweep = preset("Warm Low Pass");
    hostLoads(sweep);
    ASSERT_EQ(shownName(), "Warm Low Pass");
    hostSends({{portOf(kHighPassFreq), 200.0f}});
    hostSends({{portOf(kLinkFilters), 1.0f}});
    const float ratio = parameter(kLowPassFreq).getValue() / 200.0f;
    hostSends({{portOf(kLowPassFreq), 3000.0f}});
    EXPECT_EQ(shownName(), "Warm Low Pass");
    EXPECT_NEAR(parameter(kHighPassFreq).getValue(), 3000.0f / ratio, 0.01f);

    hostSends({{portOf(kLowPassQ), 0.3f}, {portOf(kOutputGain), -3.0f}});
    EXPECT_EQ(shownName(), Tessu::lv2::kUnknownSettingsName);
    hostLoads(sweep);
    EXPECT_EQ(shownName(), "Warm Low Pass");
}
