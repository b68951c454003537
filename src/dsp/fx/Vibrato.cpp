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
// samples loses 2.4 dB. The weights, products of (t - j) over j other than their own position scaled by
// fixed denominators, come from running products from both ends; V is float or four frames' __m128,
// with the same operations in the same order.
template <class V> void lagrangeWeights(V t, V* w) {
    const V d0 = t, d1 = t - 1.0f, d2 = t - 2.0f, d3 = t - 3.0f, d4 = t - 4.0f, d5 = t - 5.0f;
    const V p01 = d0 * d1, p012 = p01 * d2, p0123 = p012 * d3;
    const V s45 = d4 * d5, s345 = d3 * s45, s2345 = d2 * s345;
    w[0] = d1 * s2345 * (-1.0f / 120.0f);
    w[1] = d0 * s2345 * (1.0f / 24.0f);
    w[2] = p01 * s345 * (-1.0f / 12.0f);
    w[3] = p012 * s45 * (1.0f / 12.0f);
    w[4] = p0123 * d5 * (-1.0f / 24.0f);
    w[5] = p0123 * d4 * (1.0f / 120.0f);
}

// Samples of both channels from `start` on, weighted by {w0..w3} and {w4, w5, 0, 0}; the ring carries
// two zeros beyond its end for the unused lanes of a window that ends at the last slot.
void readWeighted(const float* left, const float* right, int start, __m128 low, __m128 high, float& outL,
                  float& outR) {
    const int first = start & kMask;
    if (first > kMask - 5) {
        alignas(16) float w[8];
        _mm_store_ps(w, low);
        _mm_store_ps(w + 4, high);
        float sumL = 0.0f, sumR = 0.0f;
        for (int k = 0; k < 6; ++k) {
            sumL += w[k] * left[(start + k) & kMask];
            sumR += w[k] * right[(start + k) & kMask];
        }
        outL = sumL;
        outR = sumR;
        return;
    }
    const __m128 l = _mm_add_ps(_mm_mul_ps(low, _mm_loadu_ps(left + first)),
                                _mm_mul_ps(high, _mm_loadu_ps(left + first + 4)));
    const __m128 r = _mm_add_ps(_mm_mul_ps(low, _mm_loadu_ps(right + first)),
                                _mm_mul_ps(high, _mm_loadu_ps(right + first + 4)));
    // {l0 + l1, l2 + l3, r0 + r1, r2 + r3}, then the sums of the pairs.
    const __m128 pairs = _mm_add_ps(_mm_shuffle_ps(l, r, _MM_SHUFFLE(2, 0, 2, 0)),
                                    _mm_shuffle_ps(l, r, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128 sums = _mm_add_ps(pairs, _mm_shuffle_ps(pairs, pairs, _MM_SHUFFLE(2, 3, 0, 1)));
    outL = _mm_cvtss_f32(sums);
    outR = _mm_cvtss_f32(_mm_movehl_ps(sums, sums));
}

} // namespace

CVibrato::CVibrato() : left(kBufferLength + 2), right(kBufferLength + 2) {
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
    Smoothed smoothed{enable, depth, delay};
    const float frameDelay = advance(smoothed, static_cast<float>(first.tick()), Rest{});
    enable = smoothed.enable, depth = smoothed.depth, delay = smoothed.delay;
    store(inL, inR);
    read((writeIndex - 1) & kMask, frameDelay, outL, outR);
}

float CVibrato::nextEnable(float e) const {
    e += (enableTarget - e) * kEnableRate;
    return e + (enableTarget - e) * kEnableRate;
}

float CVibrato::nextDepth(float d) const {
    return d + (depthTarget - d) * kDepthRate;
}

float CVibrato::advance(Smoothed& s, float o, Rest rest) const {
    // At their fixed points the smoothing steps would leave enable and depth as they are.
    if (!rest.enable) s.enable = nextEnable(s.enable);
    if (!rest.depth) s.depth = nextDepth(s.depth);
    // The target clamped instead of the delay keeps the delay within [0, 65536] and leaves one multiply
    // and one addition from one frame's delay to the next.
    const float goal = std::min(std::max(s.depth * (o + 1.0f) * s.enable, 0.0f), 65536.0f);
    s.delay = s.delay * (1.0f - kDelayRate) + goal * kDelayRate;
    return s.delay;
}

// Output = the input (delay + 1) samples before the one at `current`, which is already in the ring, so
// that the six samples around the read can sit two before and three after it down to a delay of one
// sample; below that, the window of the six newest is one sample off centre, which still keeps 10 kHz
// within 0.15 dB.
void CVibrato::read(int current, float frameDelay, float& outL, float& outR) const {
    const float back = std::min(frameDelay, kMaximumReadDelay);
    const int whole = static_cast<int>(back);
    const int start = current - whole - 4 - std::max(0, 1 - whole);
    float w[6];
    lagrangeWeights(static_cast<float>(current - 1 - start) - back, w);
    readWeighted(left.data(), right.data(), start, _mm_loadu_ps(w), _mm_setr_ps(w[4], w[5], 0.0f, 0.0f), outL,
                 outR);
}

// As read() for the four frames from `current` on, their weights four lanes at a time.
void CVibrato::readFour(int current, const float* frameDelays, float* outL, float* outR) const {
    const __m128 back = _mm_min_ps(_mm_loadu_ps(frameDelays), _mm_set1_ps(kMaximumReadDelay));
    const __m128i whole = _mm_cvttps_epi32(back);
    // current - 1 - start: whole + 3, one more where the window stays at the six newest.
    const __m128i lead =
        _mm_add_epi32(_mm_add_epi32(whole, _mm_set1_epi32(3)),
                      _mm_and_si128(_mm_cmpeq_epi32(whole, _mm_setzero_si128()), _mm_set1_epi32(1)));
    __m128 w[6];
    lagrangeWeights(_mm_sub_ps(_mm_cvtepi32_ps(lead), back), w);
    _MM_TRANSPOSE4_PS(w[0], w[1], w[2], w[3]);
    const __m128 zero = _mm_setzero_ps();
    const __m128 tail01 = _mm_unpacklo_ps(w[4], w[5]), tail23 = _mm_unpackhi_ps(w[4], w[5]);
    const __m128 high[4] = {_mm_movelh_ps(tail01, zero), _mm_movehl_ps(zero, tail01),
                            _mm_movelh_ps(tail23, zero), _mm_movehl_ps(zero, tail23)};
    alignas(16) int leads[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(leads), lead);
    for (int j = 0; j < 4; ++j)
        readWeighted(left.data(), right.data(), current + j - 1 - leads[j], w[j], high[j], outL[j], outR[j]);
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
    // A piece at a time: the sweep, the smoothed delays and the ring's inputs first, then the reads,
    // which no longer wait for each other.
    constexpr int kPiece = 64;
    double sweep[kPiece];
    float delays[kPiece];
    // The smoothers and the ring's position in locals, which the stores into the ring cannot alias.
    Smoothed smoothed{enable, depth, delay};
    float* ringL = left.data();
    float* ringR = right.data();
    for (int start = 0; start < n; start += kPiece) {
        const int m = std::min(kPiece, n - start);
        first.tickInto(sweep, m);
        const Rest atRest{nextEnable(smoothed.enable) == smoothed.enable,
                          nextDepth(smoothed.depth) == smoothed.depth};
        const int current = writeIndex;
        int at = current;
        for (int i = 0; i < m; ++i) {
            const float inL = bus.left[start + i];
            const float inR = bus.right[start + i];
            finiteCheck += (inL - inL) + (inR - inR); // stays 0 unless an input is NaN or infinite
            delays[i] = advance(smoothed, static_cast<float>(sweep[i]), atRest);
            ringL[at] = inL;
            ringR[at] = inR;
            at = (at + 1) & kMask;
        }
        writeIndex = at;
        int i = 0;
        for (; i + 4 <= m; i += 4)
            readFour(current + i, delays + i, bus.left + start + i, bus.right + start + i);
        for (; i < m; ++i) read((current + i) & kMask, delays[i], bus.left[start + i], bus.right[start + i]);
    }
    enable = smoothed.enable, depth = smoothed.depth, delay = smoothed.delay;
    // Only the block's last value of the second oscillator is ever read.
    if (n > 0) {
        second.tickSum(n);
        secondValue = second.value();
    }
    if (finiteCheck != 0.0f) clearBuffers();
}

} // namespace DSP::FX
