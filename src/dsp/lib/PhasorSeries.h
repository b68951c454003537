#pragma once

namespace DSP {

// A phasor z = x + iy that turns by w = e^{iω} = (stepCos, stepSin) per sample, moved by many samples
// at once: after m steps it is z·w^m, and the x values it passed through sum to Re(z·(w + w² + … + w^m)).
struct PhasorSeries {
    double powerRe = 1.0, powerIm = 0.0; // w^m
    double sumRe = 0.0, sumIm = 0.0;     // w + w² + … + w^m

    // Built by binary doubling, S(2j) = S(j)(1 + w^j) and S(j + 1) = S(j) + w^{j+1}: every term stays
    // near unit size, so slow rates lose nothing to the cancellation in 1 − cos ω of the closed form.
    static PhasorSeries of(double stepCos, double stepSin, int count);

    // Moves (x, y) by the m steps, brings the radius back to 1 with one Newton step, and returns the sum
    // of the m x values passed.
    double advance(double& x, double& y) const;
};

// The x values of the next n steps of the phasor (x, y) into out, and (x, y) moved by the n steps and
// brought back to radius 1. Four phasors a step apart turn by w⁴ each, so four independent chains of
// multiplies replace one chain that would wait for every step; the values agree with stepping one by
// one (normalising each time) to within double rounding.
void rotateInto(double& x, double& y, double stepCos, double stepSin, double* out, int n);

} // namespace DSP
