// Hosts call setParameter, chunks and bypass from any thread while their audio thread processes. Here
// two instances each run an audio thread, a control thread (random parameters, slope, mode and cut-off
// bursts, chunk loads and saves, bypass by opcode and by parameter, suspend and resume) and a thread
// that toggles bypass, for KAVREN_STRESS_SECONDS per scenario (default 0.5). Every output block must be
// finite, and afterwards each instance must still process and give back the chunk it was given. With a
// display, an editor is idled as hosts do while audio runs with automation and chunks load.
#include "utilities/PluginPath.h"

// GoogleTest first: the X headers define macros (None, Bool) that clash with it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

using namespace vst2;
using kavren::host::VstPluginHost;

namespace {

constexpr int32_t kHostParameters = 48;
constexpr int32_t kLowPassFreq = 1, kLowPassSlope = 4, kHighPassSlope = 8, kLinkFilters = 10;
constexpr int32_t kFilterMode = 11, kBypass = 41, kFilterInertia = 47;
constexpr int32_t kAnnouncedBlock = 512;

enum class Blocks { Fixed, Random, Growing };

double secondsPerScenario() {
    const char* text = std::getenv("KAVREN_STRESS_SECONDS");
    return text ? std::atof(text) : 0.5;
}

struct Instance {
    VstPluginHost host{pluginPath()};
    std::atomic<long> nonFiniteBlocks{0};
    std::atomic<long> blocks{0};
};

using Clock = std::chrono::steady_clock;

// With `automate`, the host moves a parameter before every block, as automation from the audio thread does.
void audioLoop(Instance& instance, Blocks pattern, Clock::time_point end, unsigned seed, bool automate) {
    std::mt19937 random(seed);
    std::vector<float> left(4096), right(4096), outLeft(4096), outRight(4096);
    int growing = 1;
    for (long k = 0; Clock::now() < end; ++k) {
        int n = kAnnouncedBlock;
        if (pattern == Blocks::Random) n = 1 + int(random() % 1024);
        if (pattern == Blocks::Growing) n = growing = growing * 2 + 1 > 4096 ? 1 : growing * 2 + 1;
        for (int i = 0; i < n; ++i)
            left[size_t(i)] = right[size_t(i)] = 0.5f * std::sin(0.05f * float(k * n + i));
        if (automate)
            instance.host.setParameter(int32_t(random() % kHostParameters), float(random() % 101) / 100);
        float* ins[2] = {left.data(), right.data()};
        float* outs[2] = {outLeft.data(), outRight.data()};
        instance.host.process(ins, outs, n);
        for (int i = 0; i < n; ++i)
            if (!std::isfinite(outLeft[size_t(i)]) || !std::isfinite(outRight[size_t(i)])) {
                ++instance.nonFiniteBlocks;
                break;
            }
        ++instance.blocks;
    }
}

void controlLoop(Instance& instance, const std::atomic<bool>& stop, unsigned seed) {
    std::mt19937 random(seed);
    auto unit = [&random] { return float(random() % 10001) / 10000.0f; };
    VstPluginHost& host = instance.host;
    host.setParameter(kFilterInertia, 0.9f);
    std::vector<uint8_t> saved = host.getChunk(true);
    while (!stop) {
        switch (random() % 8) {
        case 0:
        case 1:
            for (int i = 0; i < 16; ++i) host.setParameter(int32_t(random() % kHostParameters), unit());
            break;
        case 2:
            // Slopes and mode switched while the cut-off glides.
            for (int i = 0; i < 8; ++i) {
                host.setParameter(kLowPassFreq, unit());
                host.setParameter(kLowPassSlope, unit());
                host.setParameter(kHighPassSlope, unit());
                host.setParameter(kFilterMode, float(random() % 2));
                host.setParameter(kLinkFilters, float(random() % 2));
            }
            break;
        case 3:
            saved = host.getChunk(true);
            break;
        case 4:
            host.setChunk(saved, true);
            break;
        case 5:
            host.dispatch(effSetBypass, 0, random() % 2);
            break;
        case 6:
            host.setParameter(kBypass, float(random() % 2));
            break;
        default:
            host.suspend();
            host.resume();
            break;
        }
    }
}

void bypassLoop(Instance& instance, const std::atomic<bool>& stop) {
    for (int on = 1; !stop; on ^= 1) instance.host.dispatch(effSetBypass, 0, on);
}

// After the storm: the instance processes a signal to something finite and audible, and a chunk given to
// it comes back unchanged.
void expectStillWorking(Instance& instance) {
    VstPluginHost& host = instance.host;
    host.dispatch(effSetBypass, 0, 0);
    host.setParameter(kBypass, 0.0f);
    // A load may tidy random settings once (a link amount without its link goes), then they stand.
    host.setChunk(host.getChunk(true), true);
    std::vector<uint8_t> chunk = host.getChunk(true);
    host.setChunk(chunk, true);
    EXPECT_EQ(host.getChunk(true), chunk);

    Planar in{std::vector<float>(8192), std::vector<float>(8192)};
    for (size_t i = 0; i < in[0].size(); ++i) in[0][i] = in[1][i] = 0.5f * std::sin(0.05f * float(i));
    Planar out = processInBlocks(host, in, {kAnnouncedBlock});
    double energy = 0.0;
    for (size_t i = 4096; i < out[0].size(); ++i) {
        ASSERT_TRUE(std::isfinite(out[0][i]) && std::isfinite(out[1][i])) << "frame " << i;
        energy += double(out[0][i]) * out[0][i];
    }
    EXPECT_GT(energy, 1e-6);
}

class Concurrency : public ::testing::TestWithParam<Blocks> {};

TEST_P(Concurrency, TwoInstancesSurviveEveryThreadAtOnce) {
    Instance first, second;
    for (Instance* instance : {&first, &second}) instance->host.start(44100.0f, kAnnouncedBlock);

    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(secondsPerScenario()));
    std::atomic<bool> stop{false};
    std::vector<std::thread> audio, others;
    unsigned seed = 7;
    for (Instance* instance : {&first, &second}) {
        audio.emplace_back(audioLoop, std::ref(*instance), GetParam(), end, ++seed, false);
        others.emplace_back(controlLoop, std::ref(*instance), std::cref(stop), ++seed);
        others.emplace_back(bypassLoop, std::ref(*instance), std::cref(stop));
    }
    for (auto& thread : audio) thread.join();
    stop = true;
    for (auto& thread : others) thread.join();

    for (Instance* instance : {&first, &second}) {
        EXPECT_GT(instance->blocks.load(), 0);
        EXPECT_EQ(instance->nonFiniteBlocks.load(), 0);
        expectStillWorking(*instance);
    }
}

std::string scenarioName(const ::testing::TestParamInfo<Blocks>& info) {
    static const char* const names[] = {"Fixed512", "Random1To1024", "Growing"};
    return names[int(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Blocks, Concurrency,
                         ::testing::Values(Blocks::Fixed, Blocks::Random, Blocks::Growing), scenarioName);

// The editor reads what host threads change (the preset name among it) at every idle pass.
TEST(ConcurrencyWithEditor, IdleWhileAudioAutomatesAndChunksLoad) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) GTEST_SKIP() << "no DISPLAY: run this test under xvfb-run -a";
    Display* x = XOpenDisplay(nullptr);
    if (!x) GTEST_SKIP() << "cannot open DISPLAY " << name;
    const Window parent = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 600, 520, 0, 0, 0);
    XMapWindow(x, parent);
    XSync(x, False);

    Instance instance;
    VstPluginHost& host = instance.host;
    host.start(44100.0f, kAnnouncedBlock);
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    const std::vector<uint8_t> chunk = host.getChunk(true);
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(secondsPerScenario()));
    std::atomic<bool> stop{false};
    std::thread audio(audioLoop, std::ref(instance), Blocks::Fixed, end, 5u, true);
    std::thread loader([&] {
        while (!stop) host.setChunk(chunk, true);
    });
    // About 40 idle passes a second, as hosts give them.
    for (auto next = Clock::now(); next < end; std::this_thread::sleep_until(next)) {
        host.dispatch(effEditIdle);
        next += std::chrono::milliseconds(25);
    }
    audio.join();
    stop = true;
    loader.join();
    host.dispatch(effEditClose);
    XDestroyWindow(x, parent);
    XCloseDisplay(x);

    EXPECT_GT(instance.blocks.load(), 0);
    EXPECT_EQ(instance.nonFiniteBlocks.load(), 0);
    expectStillWorking(instance);
}

} // namespace
