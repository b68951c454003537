#include "dsp/lib/PhasorSeries.h"

namespace DSP {

PhasorSeries PhasorSeries::of(double stepCos, double stepSin, int count) {
    PhasorSeries s;
    if (count <= 0) return s;
    for (int bit = 31 - __builtin_clz(static_cast<unsigned>(count)); bit >= 0; --bit) {
        const double dRe = 1.0 + s.powerRe, dIm = s.powerIm;
        const double sumRe = s.sumRe * dRe - s.sumIm * dIm, sumIm = s.sumRe * dIm + s.sumIm * dRe;
        const double powerRe = s.powerRe * s.powerRe - s.powerIm * s.powerIm;
        const double powerIm = 2.0 * s.powerRe * s.powerIm;
        s.sumRe = sumRe, s.sumIm = sumIm, s.powerRe = powerRe, s.powerIm = powerIm;
        if ((count >> bit) & 1) {
            const double re = s.powerRe * stepCos - s.powerIm * stepSin;
            const double im = s.powerRe * stepSin + s.powerIm * stepCos;
            s.powerRe = re, s.powerIm = im;
            s.sumRe += re, s.sumIm += im;
        }
    }
    return s;
}

double PhasorSeries::advance(double& x, double& y) const {
    const double sum = x * sumRe - y * sumIm;
    const double nx = x * powerRe - y * powerIm;
    const double ny = x * powerIm + y * powerRe;
    const double correction = 1.5 - 0.5 * (nx * nx + ny * ny);
    x = nx * correction;
    y = ny * correction;
    return sum;
}

void rotateInto(double& x, double& y, double stepCos, double stepSin, double* out, int n) {
    if (n <= 0) return;
    // z_j = z·w^(j + 1) for j = 0..3
    double re[4], im[4];
    double r = x, i = y;
    for (int j = 0; j < 4; ++j) {
        const double nr = r * stepCos - i * stepSin;
        i = r * stepSin + i * stepCos;
        r = nr;
        re[j] = r, im[j] = i;
    }
    const double w2c = stepCos * stepCos - stepSin * stepSin, w2s = 2.0 * stepCos * stepSin;
    const double w4c = w2c * w2c - w2s * w2s, w4s = 2.0 * w2c * w2s;
    // The last one to four values are written without turning, so the chain of the last one holds
    // the phasor after the n steps.
    int k = 0;
    for (; n - k > 4; k += 4) {
        for (int j = 0; j < 4; ++j) {
            out[k + j] = re[j];
            const double nr = re[j] * w4c - im[j] * w4s;
            im[j] = re[j] * w4s + im[j] * w4c;
            re[j] = nr;
        }
    }
    const int rest = n - k;
    for (int j = 0; j < rest; ++j) out[k + j] = re[j];
    const double nx = re[rest - 1], ny = im[rest - 1];
    const double correction = 1.5 - 0.5 * (nx * nx + ny * ny);
    x = nx * correction;
    y = ny * correction;
}

} // namespace DSP
