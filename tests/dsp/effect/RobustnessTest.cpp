// What a host relies on beyond the sound: no allocation or lock while processing, its floating-point
// state left alone, and recovery from non-finite input.
#include "utilities/EffectHarness.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>
#include <xmmintrin.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>

namespace {

std::atomic<bool> watching{false};
std::atomic<int> allocations{0};
std::atomic<int> locks{0};

// Every stage working: steep resonant filters moved by envelope and LFO, colouring effects with their
// links to the low-pass, limiter, half dry.
void everythingOn(EffectHarness& h) {
    h.set({{"LOWPASSSLOPE", 4.0f},     {"HIGHPASSSLOPE", 4.0f},
           {"LOWPASSQ", 1.0f},         {"HIGHPASSQ", 1.0f},
           {"LOWPASSFREQ", 2000.0f},   {"HIGHPASSFREQ", 150.0f},
           {"LP Strength", 0.8f},      {"HP Strength", -0.5f},
           {"LP StrengthLFO", 2.0f},   {"HP StrengthLFO", -1.0f},
           {"LFO Shape", 3.0f},        {"DISTLEVEL", 0.7f},
           {"RATEREDUCE_LEVEL", 0.4f}, {"RATE_LPLINK", 1.0f},
           {"RingModeStrength", 0.6f}, {"RinkModLinkFreqPerc.", 0.5f},
           {"FreqModeStrength", 0.4f}, {"FreqModLinkFreqPerc.", -0.5f},
           {"LimiterBypass", 1.0f},    {"kDryWetMix", 0.5f}});
    h.playing = true;
}

bool allFinite(const Stereo& s) {
    for (size_t i = 0; i < s.size(); ++i)
        if (!std::isfinite(s.left[i]) || !std::isfinite(s.right[i])) return false;
    return true;
}

} // namespace

void* operator new(size_t size) {
    if (watching) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

// The effect's audio buffers come from the aligned form.
void* operator new(size_t size, std::align_val_t alignment) {
    if (watching) ++allocations;
    const size_t align = static_cast<size_t>(alignment);
    if (void* p = std::aligned_alloc(align, (std::max<size_t>(size, 1) + align - 1) / align * align))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t, std::align_val_t) noexcept {
    std::free(p);
}

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    using Lock = int (*)(pthread_mutex_t*);
    static Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    if (watching) ++locks;
    return real(mutex);
}

// Between blocks a host thread changes values, slopes and the filter mode, loads a chunk, resets and
// toggles bypass; the audio thread applies all of it inside process, still without allocating or locking,
// also for a block longer than announced and while it feeds an open editor's displays.
TEST(RealTime, ProcessingWithEveryStageNeitherAllocatesNorLocks) {
    EffectHarness h;
    everythingOn(h);
    EXPECT_EQ(h.effect->spectrumFeed().written(), 0u);
    h.effect->setAnalysisRequested(true);
    void* data = nullptr;
    const int32_t size = h.effect->getPresetChunk(&data);
    const std::vector<uint8_t> chunk(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    // No warm-up block: the very first block must not allocate either.
    Stereo in = noise(2048), out(2048);
    float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {out.left.data(), out.right.data()};
    allocations = 0;
    locks = 0;
    for (int block = 0; block < 500; ++block) {
        h.set("LOWPASSFREQ", 300.0f + 40.0f * float(block));
        h.set("kDryWetMix", float(block % 10) / 10.0f);
        if (block % 50 == 10) h.set("LOWPASSSLOPE", float(1 + block % 4));
        if (block % 50 == 20) h.set("FILTERMODE", float(block % 100 == 20));
        if (block % 50 == 30)
            h.effect->setPresetChunk(const_cast<uint8_t*>(chunk.data()), int32_t(chunk.size()));
        if (block % 50 == 40) h.effect->reset();
        if (block % 100 == 45) h.set("kBypass", float(block % 200 == 45));
        const int32_t n = block == 250 ? 2048 : 88;
        h.context.build(ins, 1, outs, 1, n);
        h.context.playing = true;
        h.context.samplePos = 88.0 * block;
        watching = true;
        h.effect->process(h.context);
        watching = false;
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(locks, 0);
    EXPECT_EQ(h.effect->spectrumFeed().written(), 499u * 88u + 2048u);
    EXPECT_EQ(h.effect->envelopeHistory(DSP::CEnvelopeFollower::kLowPass).written(), 499u + 4u);
}

TEST(RealTime, CallersFloatingPointStateComesBackUnchanged) {
    EffectHarness h;
    everythingOn(h);
    Stereo in = noise(88), out(88);
    float* ins[2] = {in.left.data(), in.right.data()};
    float* outs[2] = {out.left.data(), out.right.data()};
    h.context.build(ins, 1, outs, 1, 88);
    // A host running with flush-to-zero, rounding down and invalid, divide-by-zero and overflow traps on.
    const unsigned original = _mm_getcsr();
    const unsigned hostState = (original & ~0x0680u) | 0x8040u | 0x2000u;
    _mm_setcsr(hostState);
    for (int block = 0; block < 50; ++block) h.effect->process(h.context);
    const unsigned after = _mm_getcsr();
    _mm_setcsr(original);
    // Only the sticky exception flags (bits 0-5) may differ.
    EXPECT_EQ(after & ~0x3Fu, hostState & ~0x3Fu);
}

// Non-finite input is silenced where it enters and huge finite input is held, so no setting ever puts
// NaN or infinity on the output, and after silenced samples the sound is back to normal at once.
TEST(Robustness, BadInputNeverReachesTheOutputAndLeavesNoLastingDamage) {
    constexpr float kMax = std::numeric_limits<float>::max();
    const float poison[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), 1e30f, -kMax};
    const std::function<void(EffectHarness&)> settings[] = {
        everythingOn,
        [](EffectHarness& h) {
            everythingOn(h);
            h.set("DISTLEVEL", 1.0f);
            h.set("DISTPREPOST", 1.0f);
            h.set("LimiterBypass", 0.0f);
            h.set("kDryWetMix", 1.0f);
        },
        [](EffectHarness& h) {
            everythingOn(h);
            h.set("FILTERMODE", 1.0f);
        },
        [](EffectHarness& h) { h.set("kBypass", 1.0f); },
    };
    for (float bad : poison)
        for (size_t setting = 0; setting < std::size(settings); ++setting) {
            EffectHarness damaged, clean;
            settings[setting](damaged);
            settings[setting](clean);
            Stereo in = noise(44100);
            Stereo broken = in;
            for (size_t i = 1000; i < 1100; ++i) broken.left[i] = bad;
            Stereo out = damaged.run(broken);
            Stereo reference = clean.run(in);
            EXPECT_TRUE(allFinite(out)) << bad << " setting " << setting;
            // Huge finite input is sound: the limiter takes as long as its release says to let go of it.
            if (std::isfinite(bad)) continue;
            double level = rms(out.left, 22050), expected = rms(reference.left, 22050);
            EXPECT_NEAR(decibels(level / expected), 0.0, 0.5) << bad << " setting " << setting;
        }
}

TEST(Robustness, EverySampleRateGivesFiniteAudibleOutput) {
    for (float rate : {8000.0f, 11025.0f, 22050.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f}) {
        EffectHarness h(rate);
        everythingOn(h);
        Stereo out = h.run(noise(size_t(rate)));
        EXPECT_TRUE(allFinite(out)) << rate;
        EXPECT_GT(rms(out.left, size_t(rate) / 2), 0.001) << rate;
    }
}
