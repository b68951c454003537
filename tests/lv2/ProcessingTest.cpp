// Processing of the LV2 build against the VST 2.4 build: the host transport through the time extension
// drives the synced LFO exactly as VST 2.4 time information does, and lv2:enabled bypasses.
#include "frame/lv2/PortLayout.h"
#include "lv2/AudioFiles.h"
#include "lv2/LilvHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

constexpr size_t kFrames = 44100;
constexpr size_t kLatency = 221;

// An LFO deep enough to hear on the low-pass, synced to the host tempo (the default).
void setSyncedLfo(Lv2Instance& instance) {
    instance.control("lp_strengthlfo") = -1.5f;
    instance.control("lowpassslope") = 4.0f;
}

// Through the LV2 build in blocks of LilvInstance::kBlock, a position sent with the first block only.
Interleaved renderLv2(const Interleaved& in, double beatsPerMinute, float speed) {
    LilvHost host;
    Lv2Instance instance(host);
    setSyncedLfo(instance);
    std::vector<float> l(Lv2Instance::kBlock), r(Lv2Instance::kBlock), outL(Lv2Instance::kBlock),
        outR(Lv2Instance::kBlock);
    Interleaved out(in.size());
    for (size_t at = 0; at < kFrames; at += Lv2Instance::kBlock) {
        const auto n = uint32_t(std::min<size_t>(Lv2Instance::kBlock, kFrames - at));
        for (uint32_t i = 0; i < n; ++i) l[i] = in[2 * (at + i)], r[i] = in[2 * (at + i) + 1];
        if (at == 0 && speed != 0.0f) instance.sendPosition(beatsPerMinute, speed);
        instance.process(l.data(), r.data(), outL.data(), outR.data(), n);
        for (uint32_t i = 0; i < n; ++i) out[2 * (at + i)] = outL[i], out[2 * (at + i) + 1] = outR[i];
    }
    return out;
}

size_t differingAfterLatency(const Interleaved& vst, const Interleaved& lv2) {
    size_t differing = 0;
    for (size_t i = 0; i + 2 * kLatency < vst.size(); ++i) differing += vst[i] != lv2[i + 2 * kLatency];
    return differing;
}

} // namespace

TEST(Lv2Processing, HostTransportDrivesTheSyncedLfoAsInTheVst2Build) {
    const fs::path folder = fs::temp_directory_path() / ("kavren-lv2-transport-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const Interleaved in = testSignal(kFrames);
    writeFloatWav(folder / "in.wav", in);
    const std::string command = std::string("'" KAVREN_TOOL "' render '") + (folder / "in.wav").string() +
                                "' '" + (folder / "vst.wav").string() + "' --block " +
                                std::to_string(Lv2Instance::kBlock) +
                                " --tempo 140 --playing --set 'LP StrengthLFO=-1.5' --set LOWPASSSLOPE=4"
                                " --plugin '" KAVREN_VST2_PLUGIN "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Interleaved vst = readWav(folder / "vst.wav");
    fs::remove_all(folder);
    ASSERT_EQ(vst.size(), in.size());

    EXPECT_EQ(differingAfterLatency(vst, renderLv2(in, 140.0, 1.0f)), 0u);
    // The transport matters: stopped, the same settings sound different.
    EXPECT_GT(differingAfterLatency(vst, renderLv2(in, 140.0, 0.0f)), kFrames / 2);
}

// Disabled, the plug-in fades to the dry signal and then passes the input through, still delayed by the
// latency it reports so that the host's compensation holds.
TEST(Lv2Processing, DisabledPassesTheDelayedInputAfterItsFade) {
    LilvHost host;
    Lv2Instance instance(host);
    instance.control("lowpassfreq") = 300.0f;
    constexpr uint32_t kBlock = Lv2Instance::kBlock;
    constexpr size_t kBlocks = 6;
    const Interleaved in = testSignal(kBlocks * kBlock);
    std::vector<float> l(kBlock), r(kBlock), outL(kBlock), outR(kBlock);
    size_t differing = 0, filtered = 0;
    for (size_t block = 0; block < kBlocks; ++block) {
        // 15 ms of fade (662 frames) from the second block on, then bypassed.
        if (block == 1) instance.control("enabled") = 0.0f;
        for (uint32_t i = 0; i < kBlock; ++i)
            l[i] = in[2 * (block * kBlock + i)], r[i] = in[2 * (block * kBlock + i) + 1];
        instance.process(l.data(), r.data(), outL.data(), outR.data(), kBlock);
        for (uint32_t i = block == 0 ? uint32_t(kLatency) : 0; i < kBlock; ++i) {
            const size_t source = 2 * (block * kBlock + i - kLatency);
            const bool dry = outL[i] == in[source] && outR[i] == in[source + 1];
            if (block == 0) filtered += !dry;
            if (block >= 4) differing += !dry;
        }
    }
    // The first input frame is silence, which comes out as exact zeros, the same as the dry signal.
    EXPECT_EQ(filtered, kBlock - kLatency - 1);
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(instance.control("latency"), float(kLatency));
}

// The latency port reports the limiter's 5 ms look-ahead at the instance's rate.
TEST(Lv2Processing, LatencyPortFollowsTheSampleRate) {
    LilvHost host;
    for (auto [rate, latency] : {std::pair{44100.0, 221.0f}, {96000.0, 481.0f}, {192000.0, 961.0f}}) {
        Lv2Instance instance(host, rate);
        instance.run();
        EXPECT_EQ(instance.control("latency"), latency) << rate;
    }
}
