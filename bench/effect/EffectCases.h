// The effect's benchmark cases, shared by the timing benchmark and the fixed-length profiling run:
// each case is a set of parameter settings plus the automation it receives before every host block.
#pragma once

#include "kavren/ParameterSettings.h"
#include "utilities/WhiteNoise.h"
#include "vsthost/VstPluginHost.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace effectbench {

constexpr int kBlock = 512;
constexpr float kRate = 44100.0f;

struct Bench {
    kavren::host::VstPluginHost host{KAVREN_PLUGIN_PATH};
    std::vector<float> inL, inR, outL, outR;

    explicit Bench(std::initializer_list<const char*> settings)
        : inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock) {
        host.setPlaying(true);
        host.start(kRate, kBlock);
        for (const char* s : settings) set(s);
        KavrenTest::WhiteNoise white(1);
        for (int i = 0; i < kBlock; ++i) {
            inL[size_t(i)] = 0.5f * white.next();
            inR[size_t(i)] = 0.5f * std::sin(0.05f * float(i));
        }
    }
    virtual ~Bench() = default;
    void set(const char* assignment) {
        kavren::HostSetting s = kavren::resolveSetting(assignment);
        host.setParameter(s.hostIndex, s.normalizedValue);
    }
    // Automation sent before each block.
    virtual void automate() {}
    void block() {
        automate();
        float* ins[2] = {inL.data(), inR.data()};
        float* outs[2] = {outL.data(), outR.data()};
        host.process(ins, outs, kBlock);
    }
};

// (a) The settings of a freshly loaded effect.
struct InitialSettings : Bench {
    InitialSettings() : Bench({}) {}
};

// (b) Both filters at 96 dB/oct with full resonance, the limiter on, cut-offs moving every block.
struct HeavyFilters : Bench {
    explicit HeavyFilters(std::initializer_list<const char*> more = {})
        : Bench({"LOWPASSSLOPE=4", "HIGHPASSSLOPE=4", "LOWPASSQ=1", "HIGHPASSQ=1", "LimiterBypass=On"}) {
        for (const char* s : more) set(s);
    }
    void automate() override {
        phase += 0.01f;
        host.setParameter(lowPass, 0.55f + 0.25f * std::sin(phase));
        host.setParameter(highPass, 0.3f + 0.2f * std::cos(phase));
    }
    int lowPass = kavren::resolveSetting("LOWPASSFREQ=1000").hostIndex;
    int highPass = kavren::resolveSetting("HIGHPASSFREQ=100").hostIndex;
    float phase = 0.0f;
};

// (c) Everything at once: case (b) plus envelope and LFO on both cut-offs, distortion, rate reduction
// linked to the low-pass, ring and frequency modulation linked to the low-pass.
struct FullChain : HeavyFilters {
    FullChain()
        : HeavyFilters({"LP Strength=0.5", "HP Strength=-0.4", "ENV_BOOST=6", "LP StrengthLFO=1",
                        "HP StrengthLFO=-1", "LFO Sync=0", "LFO Rate=2", "LFO Shape=3", "DISTLEVEL=0.6",
                        "RATEREDUCE_LEVEL=0.8", "RATE_LPLINK=1", "RATE_LINK_AMOUNT=0.5",
                        "RingModeStrength=0.5", "RinkModLinkFreqPerc.=0.4", "FreqModeStrength=0.3",
                        "FreqModFreq=3", "FreqModLinkFreqPerc.=0.3", "FreqModLinkMixPercent=0.3"}) {}
};

// The same case while an editor is open: the effect also feeds the spectrum and the envelope graphs.
template <class Case> struct EditorOpen : Case {
    EditorOpen() {
        this->host.dispatch(vst2::effVendorSpecific, vst2::fourCC("KvED"), vst2::fourCC("Live"), nullptr,
                            1.0f);
    }
};

} // namespace effectbench
