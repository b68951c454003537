#include "dsp/fx/Vibrato.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

namespace DSP::FX {

namespace {

// Largest delay the read can take: the six samples around it stay within the ring.
constexpr float kMaximumReadDelay = CVibrato::kBufferLength - 8;
constexpr int kMask = CVibrato::kBufferLength - 1;
constexpr float kEnableRate = 0.00011f;
constexpr float kDepthRate = 0.01f;
constexpr float kDelayRate = 0.01f;

// base^n by squaring: a handful of multiplies for a block length.
double power(double base, int n) {
    double result = 1.0;
    for (; n > 0; n >>= 1, base *= base) {
        if (n & 1) result *= base;
    }
    return result;
}

// x after `steps` steps of x += (target - x)·rate: the distance to the target shrinks by (1 - rate) per
// step.
float afterSteps(float x, float target, float rate, int steps) {
    return static_cast<float>(target + (x - double(target)) * power(1.0 - rate, steps));
}

// Fifth-order Lagrange interpolation through six samples at positions 0..5, read at t: at 10 kHz
// (44.1 kHz) its worst loss, half-way between samples, is 0.26 dB, where a straight line between two
// samples loses 2.4 dB.
float lagrange6(const float* ring, int start, float t) {
    const float d0 = t, d1 = t - 1.0f, d2 = t - 2.0f, d3 = t - 3.0f, d4 = t - 4.0f, d5 = t - 5.0f;
    const float p01 = d0 * d1, p45 = d4 * d5;
    const float w[6] = {d1 * d2 * d3 * p45 * (-1.0f / 120.0f), d0 * d2 * d3 * p45 * (1.0f / 24.0f),
                        p01 * d3 * p45 * (-1.0f / 12.0f),      p01 * d2 * p45 * (1.0f / 12.0f),
                        p01 * d2 * d3 * d5 * (-1.0f / 24.0f),  p01 * d2 * d3 * d4 * (1.0f / 120.0f)};
    float sum = 0.0f;
    for (int k = 0; k < 6; ++k) sum += w[k] * ring[(start + k) & kMask];
    return sum;
}

} // namespace

CVibrato::CVibrato() : left(kBufferLength), right(kBufferLength) {
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
    writeIndex = 0;
    delay = 0.0f;
    first.restart();
    second.restart();
}

void CVibrato::processSample(float inL, float inR, float& outL, float& outR) {
    secondValue = second.tick();
    processFrame(inL, inR, outL, outR, static_cast<float>(first.tick()), Rest{});
}

float CVibrato::nextEnable(float e) const {
    e += (enableTarget - e) * kEnableRate;
    return e + (enableTarget - e) * kEnableRate;
}

float CVibrato::nextDepth(float d) const {
    return d + (depthTarget - d) * kDepthRate;
}

void CVibrato::processFrame(float inL, float inR, float& outL, float& outR, float o, Rest rest) {
    // At their fixed points the smoothing steps would leave enable and depth as they are.
    if (!rest.enable) enable = nextEnable(enable);
    if (!rest.depth) depth = nextDepth(depth);

    delay = std::clamp(delay + (depth * (o + 1.0f) * enable - delay) * kDelayRate, 0.0f, 65536.0f);

    // Output = the input (delay + 1) samples back. The current input goes into the ring first, so that
    // the six samples around the read can sit two before and three after it down to a delay of one
    // sample; below that, the window of the six newest is one sample off centre, which still keeps
    // 10 kHz within 0.15 dB.
    store(inL, inR);
    const float back = std::min(delay, kMaximumReadDelay);
    const int whole = static_cast<int>(back);
    const int current = writeIndex - 1;
    const int start = current - whole - 4 - std::max(0, 1 - whole);
    const float t = static_cast<float>(current - 1 - start) - back;
    outL = lagrange6(left.data(), start, t);
    outR = lagrange6(right.data(), start, t);
}

void CVibrato::store(float inL, float inR) {
    left.data()[writeIndex] = inL;
    right.data()[writeIndex] = inR;
    writeIndex = (writeIndex + 1) & kMask;
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

    // As store() frame by frame, in runs up to the end of the ring.
    for (int done = 0; done < n;) {
        const int run = std::min(n - done, kBufferLength - writeIndex);
        std::copy_n(bus.left + done, run, left.data() + writeIndex);
        std::copy_n(bus.right + done, run, right.data() + writeIndex);
        done += run;
        writeIndex = (writeIndex + run) & kMask;
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
