#include "dsp/limiter/FXDelayLine.h"

#include <algorithm>

void CFXDelayLine::setLength(int channel, int samples) {
    lengths[channel & 1] = std::max(samples, 0);
}

void CFXDelayLine::resize() {
    for (int c = 0; c < 2; ++c) {
        const std::vector<float>& old = buffers[c];
        std::vector<float> stretched(2 * static_cast<std::size_t>(lengths[c]), 0.0f);
        if (old.size() > 1 && stretched.size() > 1) {
            const double step =
                static_cast<double>(old.size() - 1) / static_cast<double>(stretched.size() - 1);
            for (std::size_t i = 0; i < stretched.size(); ++i) {
                const double position = step * static_cast<double>(i);
                const std::size_t j = std::min(static_cast<std::size_t>(position), old.size() - 2);
                const double frac = position - static_cast<double>(j);
                stretched[i] = static_cast<float>(old[j] + (old[j + 1] - old[j]) * frac);
            }
        } else if (old.size() == 1) {
            std::fill(stretched.begin(), stretched.end(), old[0]);
        }
        buffers[c] = std::move(stretched);
    }
}

void CFXDelayLine::clear() {
    for (std::vector<float>& b : buffers) std::fill(b.begin(), b.end(), 0.0f);
}
