#pragma once

#include <cstdint>

namespace DSP {

// One second-order section, normalised by a0: y = b0·x + b1·x1 + b2·x2 − a1·y1 − a2·y2.
// A first-order section has b2 = a2 = 0.
struct BiquadCoefficients {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

// A filter design: up to four sections in series (a Butterworth of order 8 at most).
struct FilterDesign {
    static constexpr int maxSections = 4;
    int sections = 0;
    BiquadCoefficients section[maxSections];
};

// Left/right pair processed together: both channels of a stereo filter share one design.
using StereoDouble = double __attribute__((vector_size(16)));

// Series of direct-form-I sections running on both channels at once in double precision.
// Each section's input history is the previous section's output history, so a cascade of S sections
// keeps S + 1 history pairs. Loading a design keeps the state, so cut-off moves do not click.
class CStereoCascade {
public:
    // Added to the cascade's input against denormals in the recursion.
    static constexpr double denormalOffset = 1e-19;

    void load(const FilterDesign& design);
    const FilterDesign& design() const { return coefficients; }
    int sections() const { return coefficients.sections; }
    void clearState();
    // Clears the state when it holds a NaN or infinity; returns whether it did.
    bool sanitize();

    // Runs n frames through the cascade in place.
    void processInPlace(float* left, float* right, int n);

private:
    template <int S> friend class CascadeKernel;

    FilterDesign coefficients;
    StereoDouble history1[FilterDesign::maxSections + 1] = {};
    StereoDouble history2[FilterDesign::maxSections + 1] = {};
};

// A cascade of S sections copied into locals for the duration of a block, so the inner loop works on
// registers and the compiler unrolls the sections.
template <int S> class CascadeKernel {
public:
    explicit CascadeKernel(CStereoCascade& cascade) : owner(cascade) {
        for (int s = 0; s < S; ++s) {
            const BiquadCoefficients& c = cascade.coefficients.section[s];
            b0[s] = c.b0, b1[s] = c.b1, b2[s] = c.b2, a1[s] = c.a1, a2[s] = c.a2;
        }
        for (int s = 0; s <= S; ++s) h1[s] = cascade.history1[s], h2[s] = cascade.history2[s];
    }
    ~CascadeKernel() {
        for (int s = 0; s <= S; ++s) owner.history1[s] = h1[s], owner.history2[s] = h2[s];
    }
    CascadeKernel(const CascadeKernel&) = delete;
    CascadeKernel& operator=(const CascadeKernel&) = delete;

    StereoDouble tick(StereoDouble x) {
        x += CStereoCascade::denormalOffset;
        for (int s = 0; s < S; ++s) {
            // The y1 term last: the path from one output to the next is one multiply and one subtraction.
            const StereoDouble partial = b0[s] * x + b1[s] * h1[s] + b2[s] * h2[s] - a2[s] * h2[s + 1];
            const StereoDouble y = partial - a1[s] * h1[s + 1];
            h2[s] = h1[s];
            h1[s] = x;
            x = y;
        }
        h2[S] = h1[S];
        h1[S] = x;
        return x;
    }

private:
    CStereoCascade& owner;
    double b0[S], b1[S], b2[S], a1[S], a2[S];
    StereoDouble h1[S + 1], h2[S + 1];
};

// Calls body.template operator()<S>() with the compile-time section count of a cascade (1, 2 or 4).
template <typename Body> void dispatchSections(int sections, Body&& body) {
    switch (sections) {
    case 1:
        body.template operator()<1>();
        break;
    case 2:
        body.template operator()<2>();
        break;
    case 4:
        body.template operator()<4>();
        break;
    default:
        break;
    }
}

} // namespace DSP
