// Power spectra of test signals (KissFFT), bin k at k·rate/n.
#pragma once

#include <kiss_fftr.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

// |X[k]|² for k = 0..n/2 of n samples (n even), optionally Hann-windowed.
inline std::vector<double> powerSpectrum(const float* x, int n, bool hann) {
    std::vector<float> in(x, x + n);
    if (hann)
        for (int i = 0; i < n; ++i)
            in[size_t(i)] *= float(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n));
    std::vector<kiss_fft_cpx> out(size_t(n / 2 + 1));
    kiss_fftr_cfg cfg = kiss_fftr_alloc(n, 0, nullptr, nullptr);
    kiss_fftr(cfg, in.data(), out.data());
    std::free(cfg);
    std::vector<double> power(out.size());
    for (size_t k = 0; k < out.size(); ++k)
        power[k] = double(out[k].r) * out[k].r + double(out[k].i) * out[k].i;
    return power;
}
