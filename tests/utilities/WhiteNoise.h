// Deterministic white noise for test signals, benchmarks and the demo: a linear congruence, so the same
// seed gives the same samples on every system and renders can be compared with stored references.
#pragma once

#include <cstdint>

namespace KavrenTest {

class WhiteNoise {
public:
    explicit WhiteNoise(uint32_t seed) : state_(seed) {}

    // Uniform in [-1, 1).
    float next() {
        state_ = state_ * 1664525u + 1013904223u;
        return float(int32_t(state_)) / 2147483648.0f;
    }

private:
    uint32_t state_;
};

} // namespace KavrenTest
