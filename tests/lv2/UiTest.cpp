// The LV2 UI's traffic with its host: port events set the UI's parameter model and are not echoed back,
// and the editor's gestures reach the host as writes to the control port under the gesture only, with
// touch around them.
#include "dsp/CKavren.h"
#include "editor/CKavrenEditor.h"
#include "frame/lv2/PortLayout.h"
#include "frame/lv2/ui/KavrenUI.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Tessu::lv2::kFirstParameter;

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

class Lv2Ui : public ::testing::Test {
protected:
    Tessu::ParameterProperty& parameter(int32_t id) { return *ui.getModel()->findParameterById(id); }
    uint32_t portOf(int32_t id) { return kFirstParameter + uint32_t(parameter(id).getHostIndex()); }
    void portEvent(uint32_t port, float value, uint32_t format = 0) {
        ui.portEvent(port, sizeof(float), format, &value);
    }

    HostRecord host;
    LV2UI_Touch touch{&host, recordTouch};
    Tessu::lv2::KavrenUI ui{createModel, {recordWrite, &host, nullptr, &touch}};
};

} // namespace

TEST_F(Lv2Ui, PortEventsSetTheModelWithoutEchoAndIgnoreWhatIsNoParameter) {
    ASSERT_TRUE(ui.valid());
    portEvent(portOf(kLowPassFreq), 1234.0f);
    EXPECT_FLOAT_EQ(parameter(kLowPassFreq).getValue(), 1234.0f);

    const float before = parameter(kLowPassFreq).getValue();
    portEvent(portOf(kLowPassFreq), 900.0f, 1); // an atom event, not a float
    for (uint32_t port : {uint32_t(Tessu::lv2::kInputLeft), uint32_t(Tessu::lv2::kEnabled),
                          uint32_t(Tessu::lv2::kLatency), uint32_t(Tessu::lv2::kPortCount)})
        portEvent(port, 900.0f);
    EXPECT_EQ(parameter(kLowPassFreq).getValue(), before);
    EXPECT_TRUE(host.writes.empty());
}

// With the cut-offs linked the model moves the high pass along, but the plug-in derives that itself from the
// low-pass port: only the parameter under the gesture is written.
TEST_F(Lv2Ui, AGestureWritesOnlyItsOwnPortBetweenTouches) {
    portEvent(portOf(kLowPassFreq), 2000.0f);
    portEvent(portOf(kHighPassFreq), 200.0f);
    portEvent(portOf(kLinkFilters), 1.0f);
    Tessu::TessuOS& model = *ui.getModel();

    model.beginEdit(&parameter(kLowPassFreq));
    parameter(kLowPassFreq).setValue(4000.0f);
    model.endEdit(&parameter(kLowPassFreq));

    EXPECT_NEAR(parameter(kHighPassFreq).getValue(), 400.0f, 0.01f);
    const uint32_t port = portOf(kLowPassFreq);
    EXPECT_EQ(host.writes, (std::vector<std::pair<uint32_t, float>>{{port, 4000.0f}}));
    EXPECT_EQ(host.touches, (std::vector<std::pair<uint32_t, bool>>{{port, true}, {port, false}}));

    // Outside a gesture (a preset loaded in the editor) every changed parameter goes to the host.
    host.writes.clear();
    parameter(kOutputGain).setValue(parameter(kOutputGain).getValue() + 1.0f);
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].first, portOf(kOutputGain));
}
