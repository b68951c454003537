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

} // namespace DSP
