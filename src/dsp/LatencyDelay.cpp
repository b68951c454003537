#include "dsp/LatencyDelay.h"

#include <algorithm>
#include <cstring>

void CLatencyDelay::setLength(int samples, int maxBlock) {
    // A new block size keeps the signal in flight; only a new length starts from silence.
    if (samples != length_) {
        length_ = samples;
        historyLeft_.assign(size_t(samples), 0.0f);
        historyRight_.assign(size_t(samples), 0.0f);
    }
    scratch_.resize(size_t(std::max(samples, maxBlock)));
}

void CLatencyDelay::clear() {
    std::fill(historyLeft_.begin(), historyLeft_.end(), 0.0f);
    std::fill(historyRight_.begin(), historyRight_.end(), 0.0f);
}

void CLatencyDelay::process(DSP::StereoView bus, int n) {
    if (n <= 0 || length_ == 0) return;
    processChannel(bus.left, historyLeft_, n);
    processChannel(bus.right, historyRight_, n);
}

void CLatencyDelay::processChannel(float* data, std::vector<float>& history, int n) {
    const size_t L = size_t(length_), count = size_t(n);
    float* h = history.data();
    float* s = scratch_.data();
    if (count > L) {
        // Output: the history, then the first n − L inputs; the history becomes the last L inputs.
        std::memcpy(s, data + count - L, L * sizeof(float));
        std::memmove(data + L, data, (count - L) * sizeof(float));
        std::memcpy(data, h, L * sizeof(float));
        std::memcpy(h, s, L * sizeof(float));
    } else {
        // Output: the front of the history, which then shifts by n and takes the inputs at its end.
        std::memcpy(s, data, count * sizeof(float));
        std::memcpy(data, h, count * sizeof(float));
        std::memmove(h, h + count, (L - count) * sizeof(float));
        std::memcpy(h + L - count, s, count * sizeof(float));
    }
}
