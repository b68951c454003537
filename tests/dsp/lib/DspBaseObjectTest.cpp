#include "dsp/lib/DspBaseObject.h"
#include "dsp/lib/FXModule.h"
#include "dsp/lib/FXProcessorBase.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Gain : public DSP::CDspBaseObject {
public:
    void processSample(float in, float& out) override { out = in * 2.0f; }
    void processSample(float inL, float inR, float& outL, float& outR) override {
        outL = inL * 2.0f;
        outR = inR * 3.0f;
    }
};

TEST(DspBaseObject, BlockLoopsDriveSampleOperations) {
    Gain gain;
    std::vector<float> in{1, 2, 3}, out(3), left{1, 2}, right{1, 2};
    gain.processMono(in.data(), out.data(), 3);
    EXPECT_EQ(out, (std::vector<float>{2, 4, 6}));
    gain.processStereoInPlace({left.data(), right.data()}, 2);
    EXPECT_EQ(left, (std::vector<float>{2, 4}));
    EXPECT_EQ(right, (std::vector<float>{3, 6}));
    float l = 1, r = 1;
    gain.processSampleInPlace(l, r);
    EXPECT_EQ(l, 2.0f);
    EXPECT_EQ(r, 3.0f);
}

TEST(DspBaseObject, PlainBaseLeavesOutputsAlone) {
    DSP::CDspBaseObject plain;
    std::vector<float> in{1, 2}, out{7, 7};
    plain.processMono(in.data(), out.data(), 2);
    plain.processStereo({in.data(), in.data()}, {out.data(), out.data()}, 2);
    EXPECT_EQ(out, (std::vector<float>{7, 7}));
    EXPECT_EQ(plain.getTailLength(), 0);
    plain.setSampleRate(48000.0f);
    EXPECT_EQ(plain.getSampleRate(), 48000.0f);
}

TEST(ModuleBases, DefaultsAndSettings) {
    CFX_Module module;
    EXPECT_TRUE(module.isEnabled());
    EXPECT_EQ(module.getSampleRate(), 44100.0f);
    module.setEnabled(false);
    module.setSampleRate(96000.0f);
    EXPECT_FALSE(module.isEnabled());
    EXPECT_EQ(module.getSampleRate(), 96000.0f);

    DSP::CFXProcessorBase processor;
    processor.setSampleRate(22050.0f);
    EXPECT_EQ(processor.getSampleRate(), 22050.0f);
}

} // namespace
