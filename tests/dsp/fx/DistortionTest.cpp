#include "dsp/fx/Distortion.h"

#include <gtest/gtest.h>

#include <vector>

using DSP::FX::CDistortion;

TEST(Distortion, LevelMapping) {
    CDistortion distortion;
    EXPECT_FLOAT_EQ(distortion.getWet(), 1.0f);
    EXPECT_FLOAT_EQ(distortion.getCompensation(), 0.43f);

    std::vector<float> x{0.0f};
    distortion.setLevel(0.5f); // v = 1 - 1.5 / 2 = 0.25; c = 0.57 * 1.625 / 2.375
    distortion.process(x.data(), 1);
    EXPECT_FLOAT_EQ(distortion.getWet(), 0.25f);
    EXPECT_FLOAT_EQ(distortion.getDry(), 0.75f);
    EXPECT_NEAR(distortion.getCompensation(), 1.0 - 0.57 * 1.625 / 2.375, 1e-6);
}

TEST(Distortion, LevelZeroIsCleanAndLevelOneFullyShaped) {
    const std::vector<float> input{-3.0f, -1.0f, -0.25f, 0.0f, 0.1f, 0.5f, 1.0f, 7.0f};
    CDistortion distortion;

    std::vector<float> clean = input;
    distortion.setLevel(0.0f);
    distortion.process(clean.data(), static_cast<int>(clean.size()));
    EXPECT_EQ(clean, input);

    std::vector<float> left = input, right = input;
    distortion.setLevel(1.0f);
    distortion.process(DSP::StereoView{left.data(), right.data()}, static_cast<int>(left.size()));
    for (size_t i = 0; i < input.size(); ++i) {
        EXPECT_FLOAT_EQ(left[i], 0.43f * distortion.shape(input[i])) << input[i];
        EXPECT_FLOAT_EQ(right[i], left[i]);
    }
}

TEST(Distortion, CurveIsOddSteepAtZeroAndSaturates) {
    CDistortion distortion;
    EXPECT_NEAR(distortion.shape(1e-4f) / 1e-4f, 10.0, 1e-2);
    EXPECT_FLOAT_EQ(distortion.shape(1.0f), 1.0f); // 11 / 11
    EXPECT_FLOAT_EQ(distortion.shape(-0.3f), -distortion.shape(0.3f));
    EXPECT_NEAR(distortion.shape(1000.0f), 1.0, 0.01);
}
