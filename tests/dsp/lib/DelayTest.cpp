#include "dsp/lib/Delay.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<float> ramp(int n, float start) {
    std::vector<float> v(n);
    for (int i = 0; i < n; ++i) v[i] = start + static_cast<float>(i);
    return v;
}

// The output is the input of `delay` samples earlier, zero before the start, for any block split.
TEST(StereoDelay, DelaysExactlyAcrossBlockLengths) {
    for (int delay : {0, 1, 5, 221}) {
        for (int block : {1, 7, 88, 221, 300}) {
            DSP::DELAY::CSimpleStereoDelay line;
            line.setDelay(delay);
            ASSERT_EQ(line.getDelay(), delay);
            const int total = 1000;
            const auto inL = ramp(total, 1.0f), inR = ramp(total, -5000.0f);
            std::vector<float> outL(total), outR(total);
            for (int pos = 0; pos < total; pos += block) {
                const int n = std::min(block, total - pos);
                if (pos % 2 == 0) {
                    line.process(inL.data() + pos, inR.data() + pos, outL.data() + pos, outR.data() + pos, n);
                } else { // in place
                    std::copy_n(inL.data() + pos, n, outL.data() + pos);
                    std::copy_n(inR.data() + pos, n, outR.data() + pos);
                    line.process(outL.data() + pos, outR.data() + pos, outL.data() + pos, outR.data() + pos,
                                 n);
                }
            }
            for (int i = 0; i < total; ++i) {
                ASSERT_EQ(outL[i], i < delay ? 0.0f : inL[i - delay]) << delay << " " << block << " " << i;
                ASSERT_EQ(outR[i], i < delay ? 0.0f : inR[i - delay]);
            }
        }
    }
}

TEST(StereoDelay, ResetClearsHistoryAndSampleFormMatches) {
    DSP::DELAY::CSimpleStereoDelay line;
    line.setDelay(3);
    line.setSampleRate(48000.0f);
    EXPECT_EQ(line.getSampleRate(), 48000.0f);
    float l, r;
    for (int i = 0; i < 3; ++i) line.processSample(1.0f + i, 10.0f + i, l, r);
    line.processSample(0.0f, 0.0f, l, r);
    EXPECT_EQ(l, 1.0f);
    EXPECT_EQ(r, 10.0f);
    line.reset();
    for (int i = 0; i < 4; ++i) {
        line.processSample(0.0f, 0.0f, l, r);
        EXPECT_EQ(l, 0.0f);
    }
}

TEST(MonoDelay, BlockLoopOfBaseUsesDelay) {
    DSP::DELAY::CSimpleMonoDelay line;
    line.setDelay(2);
    std::vector<float> x{1, 2, 3, 4};
    line.processMono(x.data(), x.data(), 4);
    EXPECT_EQ(x, (std::vector<float>{0, 0, 1, 2}));
}

} // namespace
