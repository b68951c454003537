// Audio through processReplacing: constant latency whatever the host's block sizes.
#include "utilities/PluginPath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

// The limiter's 5 ms look-ahead: 221 samples at 44.1 kHz.
int latencyAt(float rate) {
    return int(0.005 * rate + 1.0);
}
constexpr int kDryWetMix = 40;

std::vector<float> ramp(size_t n, float scale) {
    std::vector<float> x(n);
    for (size_t i = 0; i < n; ++i) x[i] = scale * std::sin(0.01f * float(i)) + 0.001f * float(i % 7);
    return x;
}

void expectDelayedCopy(const std::vector<float>& in, const std::vector<float>& out, size_t latency) {
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_NEAR(out[i], i < latency ? 0.0f : in[i - latency], 1e-6f) << "frame " << i;
}

struct HostCase {
    float rate;
    int32_t announcedBlock; // some cases send longer blocks than announced
    std::vector<int> blocks;
    bool providesTime = true;
    bool monoInput = false;
};

void PrintTo(const HostCase& c, std::ostream* os) {
    *os << c.rate << " Hz, blocks";
    for (int n : c.blocks) *os << ' ' << n;
    if (!c.providesTime) *os << ", no time information";
    if (c.monoInput) *os << ", mono input";
}

class Processing : public ::testing::TestWithParam<HostCase> {};

// Fully dry, the output is the dry path alone; suspend and resume start the mix without a ramp.
TEST_P(Processing, DryOutputIsInputDelayedByTheReportedLatency) {
    const HostCase& setup = GetParam();
    VstPluginHost host(pluginPath());
    host.setProvidesTime(setup.providesTime);
    host.start(setup.rate, setup.announcedBlock);
    host.setParameter(kDryWetMix, 0.0f);
    host.suspend();
    host.resume();
    const int latency = latencyAt(setup.rate);
    ASSERT_EQ(host.effect()->initialDelay, latency);
    Planar in{ramp(3000, 0.5f), ramp(3000, -0.25f)};
    if (setup.monoInput) {
        VstSpeakerArrangement mono{}, stereo{};
        mono.type = kSpeakerArrMono;
        mono.numChannels = 1;
        stereo.type = kSpeakerArrStereo;
        stereo.numChannels = 2;
        ASSERT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &stereo), 1);
        in[1].assign(3000, 0.9f); // not read
    }
    const Planar out = processInBlocks(host, in, setup.blocks);
    expectDelayedCopy(in[0], out[0], size_t(latency));
    expectDelayedCopy(setup.monoInput ? in[0] : in[1], out[1], size_t(latency));
}

INSTANTIATE_TEST_SUITE_P(Hosts, Processing,
                         ::testing::Values(HostCase{44100, 64, {64}}, HostCase{44100, 64, {1}},
                                           HostCase{44100, 64, {37}}, HostCase{44100, 64, {0, 17, 0, 300}},
                                           HostCase{44100, 64, {221}}, HostCase{44100, 64, {2048}},
                                           HostCase{44100, 64, {88, 89, 87, 1, 500}},
                                           HostCase{8000, 512, {512}}, HostCase{22050, 512, {512}},
                                           HostCase{96000, 512, {512}}, HostCase{192000, 512, {512}},
                                           HostCase{44100, 128, {128}, false},
                                           HostCase{48000, 256, {256}, true, true}));

TEST(ProcessingHost, ResumeClearsTheDelayedSignal) {
    VstPluginHost host(pluginPath());
    host.start(44100.0f, 512);
    processInBlocks(host, {ramp(512, 0.8f), ramp(512, 0.8f)}, {512});
    host.suspend();
    host.resume();
    const Planar out = processInBlocks(host, {std::vector<float>(512), std::vector<float>(512)}, {512});
    for (float x : out[0]) ASSERT_NEAR(x, 0.0f, 1e-12f);
}

} // namespace
