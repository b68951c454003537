// Audio through processReplacing: constant latency whatever the host's block sizes.
#include "vst2/PluginPath.h"
#include "vsthost/VstPluginHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

constexpr int kLatency = 221;
constexpr int kDryWetMix = 40;

// Fully dry: the output is the dry path alone. Suspend and resume start the mix without a ramp.
void startDry(VstPluginHost& host, float rate, int32_t block) {
    host.start(rate, block);
    host.setParameter(kDryWetMix, 0.0f);
    host.suspend();
    host.resume();
}

// Runs a stereo signal through the plug-in in blocks of the given lengths (cycled) and returns the output.
std::vector<std::vector<float>> run(VstPluginHost& host, const std::vector<float>& left,
                                    const std::vector<float>& right, const std::vector<int>& blocks) {
    std::vector<std::vector<float>> out(2, std::vector<float>(left.size()));
    size_t at = 0;
    for (size_t b = 0; at < left.size(); ++b) {
        size_t n = std::min(size_t(blocks[b % blocks.size()]), left.size() - at);
        float* ins[2] = {const_cast<float*>(left.data() + at), const_cast<float*>(right.data() + at)};
        float* outs[2] = {out[0].data() + at, out[1].data() + at};
        host.process(ins, outs, int32_t(n));
        at += n;
    }
    return out;
}

std::vector<float> ramp(size_t n, float scale) {
    std::vector<float> x(n);
    for (size_t i = 0; i < n; ++i) x[i] = scale * std::sin(0.01f * float(i)) + 0.001f * float(i % 7);
    return x;
}

void expectDelayedCopy(const std::vector<float>& in, const std::vector<float>& out, int delay) {
    for (size_t i = 0; i < out.size(); ++i) {
        float expected = i < size_t(delay) ? 0.0f : in[i - size_t(delay)];
        ASSERT_NEAR(out[i], expected, 1e-6f) << "frame " << i;
    }
}

class Processing : public ::testing::TestWithParam<std::vector<int>> {};

TEST_P(Processing, DryOutputIsInputDelayedByTheReportedLatency) {
    VstPluginHost host(pluginPath());
    // The host announces 64-frame blocks; some cases send longer ones anyway.
    startDry(host, 44100.0f, 64);
    ASSERT_EQ(host.effect()->initialDelay, kLatency);
    auto left = ramp(3000, 0.5f), right = ramp(3000, -0.25f);
    auto out = run(host, left, right, GetParam());
    expectDelayedCopy(left, out[0], kLatency);
    expectDelayedCopy(right, out[1], kLatency);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, Processing,
                         ::testing::Values(std::vector<int>{64}, std::vector<int>{1}, std::vector<int>{37},
                                           std::vector<int>{0, 17, 0, 300}, std::vector<int>{221},
                                           std::vector<int>{2048}, std::vector<int>{88, 89, 87, 1, 500}));

TEST(ProcessingHost, LatencyIsTheSameAtEverySampleRate) {
    for (float rate : {8000.0f, 22050.0f, 48000.0f, 96000.0f, 192000.0f}) {
        VstPluginHost host(pluginPath());
        startDry(host, rate, 512);
        auto left = ramp(1500, 0.5f);
        auto out = run(host, left, left, {512});
        EXPECT_EQ(host.effect()->initialDelay, kLatency);
        expectDelayedCopy(left, out[0], kLatency);
    }
}

TEST(ProcessingHost, MonoInputReachesBothChannels) {
    VstPluginHost host(pluginPath());
    startDry(host, 44100.0f, 256);
    VstSpeakerArrangement mono{}, stereo{};
    mono.type = kSpeakerArrMono;
    mono.numChannels = 1;
    stereo.type = kSpeakerArrStereo;
    stereo.numChannels = 2;
    ASSERT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &stereo), 1);
    auto left = ramp(1024, 0.5f);
    std::vector<float> unused(1024, 0.9f);
    auto out = run(host, left, unused, {256});
    expectDelayedCopy(left, out[0], kLatency);
    expectDelayedCopy(left, out[1], kLatency);
}

TEST(ProcessingHost, ResumeClearsTheDelayedSignal) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    auto loud = ramp(512, 0.8f);
    run(host, loud, loud, {512});
    host.suspend();
    host.resume();
    std::vector<float> silence(512, 0.0f);
    auto out = run(host, silence, silence, {512});
    for (float x : out[0]) ASSERT_NEAR(x, 0.0f, 1e-12f);
}

TEST(ProcessingHost, WorksWithoutHostTimeInformation) {
    VstPluginHost host(pluginPath());
    host.setProvidesTime(false);
    startDry(host, 44100.0f, 128);
    auto left = ramp(600, 0.5f);
    auto out = run(host, left, left, {128});
    expectDelayedCopy(left, out[0], kLatency);
}

} // namespace
