#pragma once

namespace DSP::FX {

// Coefficients of an elliptic half-band low-pass built from two parallel branches of first-order
// all-pass sections in z^-2, H(z) = (A0(z^2) + z^-1 A1(z^2)) / 2: `count` coefficients in ascending
// order, even positions for branch 0 and odd ones for branch 1. `transition` is the width of the
// transition band around a quarter of the sampling rate, as a fraction of half the sampling rate; the
// stop-band attenuation follows from it and the count. The closed form is the classic one for this
// structure (Jacobi elliptic functions through their nome q).
void designHalfband(double* coefficients, int count, double transition);

} // namespace DSP::FX
