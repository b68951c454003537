#include "dsp/lib/Delay.h"

#include <algorithm>

namespace DSP::DELAY {

void CMonoDelayBase::setDelay(int samples) {
    delay = std::max(0, samples);
    if (delay != length) {
        buffer.allocate(static_cast<std::size_t>(delay));
        length = delay;
    }
    reset();
}

void CMonoDelayBase::reset() {
    buffer.clear();
    writePosition = 0;
}

// Reading a ring slot before overwriting it delays by the ring length; the loop runs in stretches
// that end at the ring's end so the inner loop has no wrap test.
void CMonoDelayBase::processBlock(const float* in, float* out, int n) {
    if (length == 0) {
        if (in != out) std::copy_n(in, n, out);
        return;
    }
    float* ring = buffer.data();
    int done = 0;
    while (done < n) {
        const int stretch = std::min(n - done, length - writePosition);
        float* slot = ring + writePosition;
        for (int i = 0; i < stretch; ++i) {
            const float delayed = slot[i];
            slot[i] = in[done + i];
            out[done + i] = delayed;
        }
        done += stretch;
        writePosition += stretch;
        if (writePosition == length) writePosition = 0;
    }
}

void CSimpleMonoDelay::processSample(float in, float& out) {
    processBlock(&in, &out, 1);
}

void CStereoDelayBase::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    left.processBlock(inL, outL, n);
    right.processBlock(inR, outR, n);
}

void CStereoDelayBase::setDelay(int samples) {
    left.setDelay(samples);
    right.setDelay(samples);
}

void CStereoDelayBase::setSampleRate(float rate) {
    sampleRate = rate;
    left.setSampleRate(rate);
    right.setSampleRate(rate);
}

void CStereoDelayBase::reset() {
    left.reset();
    right.reset();
}

void CSimpleStereoDelay::processSample(float inL, float inR, float& outL, float& outR) {
    left.processSample(inL, outL);
    right.processSample(inR, outR);
}

} // namespace DSP::DELAY
