// The effect's parameters as a host sees them through the dispatcher and get/setParameter.
#include "vst2/PluginPath.h"
#include "vsthost/VstPluginHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

class HostParameters : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<VstPluginHost>(pluginPath());
        host->start(44100.0f, 512);
    }
    std::unique_ptr<VstPluginHost> host;
};

TEST_F(HostParameters, FortyEightParametersWithNamesAndUnits) {
    ASSERT_EQ(host->effect()->numParams, 48);
    EXPECT_EQ(host->parameterName(0), "Input Gain");
    EXPECT_EQ(host->parameterName(1), "LowPass.Freq.");
    EXPECT_EQ(host->parameterName(33), "Limiter.Release");
    EXPECT_EQ(host->parameterName(47), "FltrInertia");
    EXPECT_EQ(host->parameterLabel(0), "dB");
    EXPECT_EQ(host->parameterLabel(1), "Hz");
    EXPECT_EQ(host->parameterLabel(12), "ms");
    EXPECT_EQ(host->parameterLabel(10), "");
    for (int32_t i = 0; i < 48; ++i) {
        EXPECT_FALSE(host->parameterName(i).empty()) << i;
        EXPECT_FALSE(host->parameterDisplay(i).empty()) << i;
        EXPECT_EQ(host->dispatch(effCanBeAutomated, i), 1) << i;
    }
}

TEST_F(HostParameters, StartValuesShowClampedInitialValues) {
    EXPECT_EQ(host->parameterDisplay(25), "Host");
    EXPECT_EQ(host->parameterDisplay(36), "200.0");
    EXPECT_FLOAT_EQ(host->getParameter(1), 1.0f);
    EXPECT_FLOAT_EQ(host->getParameter(0), 0.5f);
}

TEST_F(HostParameters, PropertiesCarryTheNameAndItsFirstEightCharacters) {
    VstParameterProperties properties{};
    ASSERT_EQ(host->dispatch(effGetParameterProperties, 1, 0, &properties), 1);
    EXPECT_STREQ(properties.label, "LowPass Frequency");
    EXPECT_EQ(std::string(properties.shortLabel, 8), "LowPass ");
    EXPECT_EQ(properties.flags, 0);
}

TEST_F(HostParameters, HostValuesRoundTripWithoutAutomationEcho) {
    host->setParameter(1, 0.5f);
    EXPECT_NEAR(host->getParameter(1), 0.5f, 1e-6f);
    // Curve 30 puts the knob centre at 1/32 of the span above the minimum.
    EXPECT_EQ(host->parameterDisplay(1).substr(0, 3), "727");
    host->setParameter(10, 1.0f);
    EXPECT_EQ(host->parameterDisplay(10), "On");
    host->setParameter(0, 2.0f);
    EXPECT_FLOAT_EQ(host->getParameter(0), 1.0f);
    EXPECT_TRUE(host->automation().empty());
}

} // namespace

namespace {

TEST(HostState, ChunkFromOneInstanceRestoresAnother) {
    VstPluginHost first(pluginPath()), second(pluginPath());
    first.start(44100.0f, 512);
    second.start(44100.0f, 512);
    first.setParameter(1, 0.3f);
    first.setParameter(4, 1.0f);
    first.setParameter(40, 0.25f);
    std::vector<uint8_t> chunk = first.getChunk(true);
    ASSERT_GT(chunk.size(), 44u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(chunk.data())), "QMX-kavren-Preset");
    second.setChunk(chunk, true);
    for (int32_t i = 0; i < 48; ++i) EXPECT_FLOAT_EQ(second.getParameter(i), first.getParameter(i)) << i;
    // Bank requests carry the same state.
    EXPECT_EQ(first.getChunk(false), chunk);
}

} // namespace

namespace {

// A new instance starts from the init preset: every parameter at its default value.
TEST(HostState, NewInstanceStartsFromTheInitPreset) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    EXPECT_EQ(host.parameterDisplay(12), "50.0");
    EXPECT_EQ(host.parameterDisplay(13), "50.0");
    EXPECT_EQ(host.parameterDisplay(33), " 50");
}

} // namespace
