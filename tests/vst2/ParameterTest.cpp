// The effect's parameters as a host sees them through the dispatcher and get/setParameter.
#include "utilities/PluginPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace vst2;

namespace {

using HostParameters = StartedPlugin;

TEST_F(HostParameters, FortyEightNamedAutomatableParametersStartingFromTheInitPreset) {
    ASSERT_EQ(host.effect()->numParams, 48);
    for (int32_t i = 0; i < 48; ++i) {
        EXPECT_FALSE(host.parameterName(i).empty()) << i;
        EXPECT_FALSE(host.parameterDisplay(i).empty()) << i;
        EXPECT_EQ(host.dispatch(effCanBeAutomated, i), 1) << i;
    }
    const std::pair<int32_t, const char*> names[] = {
        {0, "Input Gain"}, {1, "LowPass.Freq."}, {33, "Limiter.Release"}, {47, "FltrInertia"}};
    for (auto [index, name] : names) EXPECT_EQ(host.parameterName(index), name);
    const std::pair<int32_t, const char*> labels[] = {{0, "dB"}, {1, "Hz"}, {12, "ms"}, {10, ""}};
    for (auto [index, label] : labels) EXPECT_EQ(host.parameterLabel(index), label) << index;
    // Initial values are clamped into range; the init preset sets the envelope and limiter times.
    const std::pair<int32_t, const char*> displays[] = {
        {25, "Host"}, {36, "200.0"}, {12, "50.0"}, {13, "50.0"}, {33, " 50"}};
    for (auto [index, display] : displays) EXPECT_EQ(host.parameterDisplay(index), display) << index;
    EXPECT_FLOAT_EQ(host.getParameter(1), 1.0f);
    EXPECT_FLOAT_EQ(host.getParameter(0), 0.5f);
}

TEST_F(HostParameters, HostValuesRoundTripWithoutAutomationEcho) {
    host.setParameter(1, 0.5f);
    EXPECT_NEAR(host.getParameter(1), 0.5f, 1e-6f);
    // Curve 30 puts the knob centre at 1/32 of the span above the minimum.
    EXPECT_EQ(host.parameterDisplay(1).substr(0, 3), "727");
    host.setParameter(10, 1.0f);
    EXPECT_EQ(host.parameterDisplay(10), "On");
    host.setParameter(0, 2.0f);
    EXPECT_FLOAT_EQ(host.getParameter(0), 1.0f);
    EXPECT_TRUE(host.automation().empty());
}

} // namespace
