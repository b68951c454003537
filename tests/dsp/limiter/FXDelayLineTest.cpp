#include "dsp/limiter/FXDelayLine.h"

#include <gtest/gtest.h>

namespace {

TEST(FXDelayLine, ResizeStretchesContentByInterpolation) {
    CFXDelayLine line;
    line.setLength(0, 88);
    line.setLength(1, 3);
    line.resize();
    ASSERT_EQ(line.buffer(0).size(), 176u);
    ASSERT_EQ(line.buffer(1).size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) line.buffer(1)[i] = static_cast<float>(i);
    line.setLength(1, 6);
    line.resize();
    ASSERT_EQ(line.buffer(1).size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) EXPECT_NEAR(line.buffer(1)[i], i * 5.0f / 11.0f, 1e-5f) << i;
    line.clear();
    for (float v : line.buffer(1)) EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(line.isEnabled());
}

} // namespace
