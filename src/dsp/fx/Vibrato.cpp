#include "dsp/fx/Vibrato.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

namespace DSP::FX {

namespace {

// Largest delay the read can take: with a write index of 1 the read interpolates from index 1 - 1.
constexpr float kMaximumReadDelay = CVibrato::kBufferLength - 2;
constexpr float kEnableRate = 0.00011f;
constexpr float kDepthRate = 0.01f;
constexpr float kDelayRate = 0.01f;
constexpr float kDenormalOffset = 1e-19f;

// base^n by squaring: a handful of multiplies for a block length.
double power(double base, int n) {
    double result = 1.0;
    for (; n > 0; n >>= 1, base *= base) {
        if (n & 1) result *= base;
    }
    return result;
}

// x after `steps` steps of x += (target - x)·rate + 1e-19: the distance to the fixed point
// target + 1e-19 / rate shrinks by (1 - rate) per step.
float afterSteps(float x, float target, float rate, int steps) {
    const double fixedPoint = double(target) + double(kDenormalOffset) / rate;
    return static_cast<float>(fixedPoint + (x - fixedPoint) * power(1.0 - rate, steps));
}

} // namespace

CVibrato::CVibrato() : left(kBufferLength + 1), right(kBufferLength + 1) {
    for (Generators::CLFOOscillator* lfo : {&first, &second}) {
        lfo->setShape(Generators::CLFOOscillator::kSine);
        lfo->setRate(6.0);
    }
    second.setShift(0.1);
}

void CVibrato::setSampleRate(float rate) {
    if (!(rate > 0.0f) || !std::isfinite(rate)) return;
    sampleRate = rate;
    first.setSampleRate(rate);
    second.setSampleRate(rate);
}

void CVibrato::setParameter(int index, float value) {
    if (!std::isfinite(value)) return;
    switch (index) {
    case kShift: {
        first.setShift(value);
        const float ahead = value + 0.1f;
        second.setShift(ahead > 1.0f ? ahead - 1.0f : ahead);
        break;
    }
    case kRate:
        first.setRate(value);
        second.setRate(value);
        enableTarget = value > 0.0101f ? 1.0f : 0.0f;
        break;
    case kMix: {
        const float mix = std::clamp(value, 0.0f, 1.0f);
        depthTarget = std::min(65526.0f, std::trunc(0.05f * sampleRate * mix * mix) * 0.5f);
        break;
    }
    default:
        break;
    }
}

void CVibrato::clearBuffers() {
    left.clear();
    right.clear();
}

void CVibrato::reset() {
    clearBuffers();
    writeIndex = 1;
    delay = 0.0f;
    first.restart();
    second.restart();
}

void CVibrato::processSample(float inL, float inR, float& outL, float& outR) {
    secondValue = second.tick();
    processFrame(inL, inR, outL, outR, static_cast<float>(first.tick()), Rest{});
}

float CVibrato::nextEnable(float e) const {
    e += (enableTarget - e) * kEnableRate + kDenormalOffset;
    return e + (enableTarget - e) * kEnableRate + kDenormalOffset;
}

float CVibrato::nextDepth(float d) const {
    return d + kDenormalOffset + (depthTarget - d) * kDepthRate;
}

void CVibrato::processFrame(float inL, float inR, float& outL, float& outR, float o, Rest rest) {
    // At their fixed points the smoothing steps would leave enable and depth as they are.
    if (!rest.enable) enable = nextEnable(enable);
    if (!rest.depth) depth = nextDepth(depth);

    delay = std::clamp(delay + kDenormalOffset + (depth * (o + 1.0f) * enable - delay) * kDelayRate, 0.0f,
                       65536.0f);

    // Output = the input (delay + 1) samples back: interpolate between the samples stored at
    // trunc(position) - 1 and trunc(position), position = write index - delay on the ring 1..65535.
    double position = writeIndex - static_cast<double>(std::min(delay, kMaximumReadDelay));
    if (position < 1.0) position += kBufferLength - 1;
    const int index = static_cast<int>(position);
    const float fraction = static_cast<float>(position - index);
    float* l = left.data();
    float* r = right.data();
    outL = l[index - 1] + (l[index] - l[index - 1]) * fraction;
    outR = r[index - 1] + (r[index] - r[index - 1]) * fraction;

    store(inL, inR);
}

void CVibrato::store(float inL, float inR) {
    float* l = left.data();
    float* r = right.data();
    l[writeIndex] = inL;
    r[writeIndex] = inR;
    // Index 0 mirrors the last slot, so reads across the wrap need no second case.
    if (++writeIndex > kBufferLength - 1) {
        l[0] = inL;
        r[0] = inR;
        writeIndex = 1;
    }
}

void CVibrato::writeOnly(StereoView bus, int n) {
    // x − x is 0 for finite x and NaN otherwise; lanes may be summed in any order.
    __m128 finite4 = _mm_setzero_ps();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 l = _mm_loadu_ps(bus.left + i), r = _mm_loadu_ps(bus.right + i);
        finite4 = _mm_add_ps(finite4, _mm_add_ps(_mm_sub_ps(l, l), _mm_sub_ps(r, r)));
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, finite4);
    float finiteCheck = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    for (; i < n; ++i) finiteCheck += (bus.left[i] - bus.left[i]) + (bus.right[i] - bus.right[i]);

    // As store() frame by frame: slots writeIndex.. up to the last, index 0 mirroring the last slot.
    for (int done = 0; done < n;) {
        const int run = std::min(n - done, kBufferLength - writeIndex);
        std::copy_n(bus.left + done, run, left.data() + writeIndex);
        std::copy_n(bus.right + done, run, right.data() + writeIndex);
        done += run;
        writeIndex += run;
        if (writeIndex > kBufferLength - 1) {
            left.data()[0] = bus.left[done - 1];
            right.data()[0] = bus.right[done - 1];
            writeIndex = 1;
        }
    }
    if (finiteCheck != 0.0f) clearBuffers();
    advanceUnread(n);
}

// n frames of processing without the reads, in closed form: enable and depth take their smoothing
// steps, both oscillators turn, and the delay follows depth·(o + 1)·enable with o at its mean over the
// frames (idle, that target stays below twice a depth under 1e-6 samples).
void CVibrato::advanceUnread(int n) {
    if (n <= 0) return;
    if (nextEnable(enable) != enable) enable = afterSteps(enable, enableTarget, kEnableRate, 2 * n);
    if (nextDepth(depth) != depth) depth = afterSteps(depth, depthTarget, kDepthRate, n);
    const float meanSweep = static_cast<float>(first.tickSum(n) / n);
    delay = std::clamp(afterSteps(delay, depth * (meanSweep + 1.0f) * enable, kDelayRate, n), 0.0f, 65536.0f);
    second.tickSum(n);
    secondValue = second.value();
}

void CVibrato::processBlock(StereoView bus, int n) {
    float finiteCheck = 0.0f;
    // The sweep a piece at a time, so that the oscillator's rotation does not wait for every sample.
    constexpr int kPiece = 64;
    double sweep[kPiece];
    for (int start = 0; start < n; start += kPiece) {
        const int m = std::min(kPiece, n - start);
        first.tickInto(sweep, m);
        const Rest atRest{nextEnable(enable) == enable, nextDepth(depth) == depth};
        for (int i = start; i < start + m; ++i) {
            const float inL = bus.left[i];
            const float inR = bus.right[i];
            finiteCheck += (inL - inL) + (inR - inR); // stays 0 unless an input is NaN or infinite
            processFrame(inL, inR, bus.left[i], bus.right[i], static_cast<float>(sweep[i - start]), atRest);
        }
    }
    // Only the block's last value of the second oscillator is ever read.
    if (n > 0) {
        second.tickSum(n);
        secondValue = second.value();
    }
    if (finiteCheck != 0.0f) clearBuffers();
}

} // namespace DSP::FX
