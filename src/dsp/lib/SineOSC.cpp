#include "dsp/lib/SineOSC.h"

#include "dsp/lib/PhasorSeries.h"

#include <cmath>
#include <numbers>

namespace DSP::Generators {

CSineOSC::CSineOSC() {
    recalculate();
    reset();
}

void CSineOSC::recalculate() {
    const double omega = 2.0 * std::numbers::pi * frequency / sampleRate;
    stepCos = std::cos(omega);
    stepSin = std::sin(omega);
    stepCosF = static_cast<float>(stepCos);
    stepSinF = static_cast<float>(stepSin);
}

// A pure rotation lets rounding errors grow or shrink the radius over millions of samples;
// scaling by (3 − r²)/2 (one Newton step towards r = 1) keeps it at 1 at the cost of two multiplies.
double CSineOSC::nextSample() {
    const double nx = x * stepCos - y * stepSin;
    const double ny = x * stepSin + y * stepCos;
    const double correction = 1.5 - 0.5 * (nx * nx + ny * ny);
    x = nx * correction;
    y = ny * correction;
    return nx;
}

void CSineOSC::generate(double* out, int n) {
    rotateInto(x, y, stepCos, stepSin, out, n);
}

float CSineOSC::nextSampleFloat() {
    const float nx = xf * stepCosF - yf * stepSinF;
    const float ny = xf * stepSinF + yf * stepCosF;
    const float correction = 1.5f - 0.5f * (nx * nx + ny * ny);
    xf = nx * correction;
    yf = ny * correction;
    return nx;
}

void CSineOSC::skip(int n) {
    if (n > 0) PhasorSeries::of(stepCos, stepSin, n).advance(x, y);
}

void CSineOSC::reset() {
    x = 0.0;
    y = -1.0;
    xf = 0.0f;
    yf = -1.0f;
}

} // namespace DSP::Generators
