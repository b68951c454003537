#pragma once

// Plain data shared by the filter classes and the per-instruction-set kernels. Only aggregates and
// aliases here: the kernels are compiled for several instruction sets and must not share inline code.

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

// Direct-form-I cascade as the kernels see it. Section s reads its input history from (h1[s], h2[s])
// and its output history from (h1[s + 1], h2[s + 1]), so the sections share histories.
struct CascadeView {
    const FilterDesign* design;
    StereoDouble* h1;
    StereoDouble* h2;
};

// Double-precision stereo biquad state, x1, x2, y1, y2.
struct BiquadState {
    StereoDouble x1, x2, y1, y2;
};

// A biquad for one call of a kernel: its coefficients at the start, their change per sample while it
// moves (null while it stands still) and its state.
struct BiquadMove {
    const BiquadCoefficients* start;
    const BiquadCoefficients* step;
    BiquadState* state;
};

} // namespace DSP
