#include "dsp/limiter/FXLimiter.h"

#include "dsp/lib/Log2Exp2.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>

namespace {
constexpr float peakCap = 100000.0f;
constexpr float silence = 1e-18f;
constexpr float denormalOffset = 1e-19f;
constexpr int initialBlockSize = 512;

// The maximum of m and n values that are neither negative nor NaN, four lanes at a time.
float largest(const float* x, int n, float m) {
    __m128 m4 = _mm_set1_ps(m);
    int i = 0;
    for (; i + 4 <= n; i += 4) m4 = _mm_max_ps(m4, _mm_loadu_ps(x + i));
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, m4);
    for (float v : lanes) m = std::max(m, v);
    for (; i < n; ++i) m = std::max(m, x[i]);
    return m;
}

// The largest magnitude of finite samples of both channels.
float loudest(const float* left, const float* right, int n) {
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    __m128 m4 = _mm_setzero_ps();
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        m4 = _mm_max_ps(m4, _mm_and_ps(_mm_loadu_ps(left + i), magnitude));
        m4 = _mm_max_ps(m4, _mm_and_ps(_mm_loadu_ps(right + i), magnitude));
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, m4);
    float m = 0.0f;
    for (float v : lanes) m = std::max(m, v);
    for (; i < n; ++i) m = std::max(m, std::max(std::fabs(left[i]), std::fabs(right[i])));
    return m;
}

// x·0 is NaN exactly for NaN and ±∞, so one sum in any order finds them without a branch per sample.
bool allFinite(const float* left, const float* right, int n) {
    const __m128 zero = _mm_setzero_ps();
    __m128 probe4 = zero;
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        probe4 = _mm_add_ps(probe4, _mm_mul_ps(_mm_loadu_ps(left + i), zero));
        probe4 = _mm_add_ps(probe4, _mm_mul_ps(_mm_loadu_ps(right + i), zero));
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, probe4);
    float probe = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    for (; i < n; ++i) probe += left[i] * 0.0f + right[i] * 0.0f;
    return probe == 0.0f;
}

// peak = min(√max, cap), and 0 below the denormal offset; √ is exact in every lane as in a scalar.
void takeRoots(float* x, int n) {
    const __m128 cap = _mm_set1_ps(peakCap), floor = _mm_set1_ps(denormalOffset);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 root = _mm_min_ps(_mm_sqrt_ps(_mm_loadu_ps(x + i)), cap);
        _mm_storeu_ps(x + i, _mm_andnot_ps(_mm_cmplt_ps(root, floor), root));
    }
    for (; i < n; ++i) {
        const float root = std::min(std::sqrt(x[i]), peakCap);
        x[i] = root < denormalOffset ? 0.0f : root;
    }
}

// The values here are neither negative nor NaN, so maxima may be taken in any order: running maxima
// four lanes at a time, within a vector by two shifted copies, across vectors by the carried maximum.

// dst[j] = max(carry, src[j..count − 1]); returns the maximum of all.
float suffixMaxima(const float* src, float* dst, int count, float carry) {
    int j = count - 1;
    for (; j >= 0 && (j + 1) % 4 != 0; --j) dst[j] = carry = std::max(carry, src[j]);
    __m128 c = _mm_set1_ps(carry);
    for (j -= 3; j >= 0; j -= 4) {
        __m128 v = _mm_loadu_ps(src + j);
        v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 2, 1)));
        v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 2)));
        v = _mm_max_ps(v, c);
        _mm_storeu_ps(dst + j, v);
        c = _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 0, 0, 0));
    }
    return _mm_cvtss_f32(c);
}

// dst[j] = max(dst[j], src[0..j]).
void raiseToPrefixMaxima(const float* src, float* dst, int count) {
    __m128 c = _mm_setzero_ps();
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        __m128 v = _mm_loadu_ps(src + j);
        v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 1, 0, 0)));
        v = _mm_max_ps(v, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 0, 0, 0)));
        v = _mm_max_ps(v, c);
        _mm_storeu_ps(dst + j, _mm_max_ps(v, _mm_loadu_ps(dst + j)));
        c = _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3));
    }
    float carry = _mm_cvtss_f32(c);
    for (; j < count; ++j) {
        carry = std::max(carry, src[j]);
        dst[j] = std::max(dst[j], carry);
    }
}
} // namespace

CFXLimiter::CFXLimiter() {
    setLookAhead();
    setMaxBlockSize(initialBlockSize);
    recompute();
}

// The look-ahead is 5 ms and the automatic release time falls to 1 % of a step within 50 ms, at every
// rate.
void CFXLimiter::setLookAhead() {
    autoReleaseFall = static_cast<float>(1.0 - std::pow(0.01, 1.0 / (0.05 * sampleRate)));
    const int p = static_cast<int>(0.005 * sampleRate + 1.0);
    windowLength = p + 1;
    history.assign(windowLength, 0.0f);
    historyEnd = 0;
    lookAhead.setDelay(p);
}

void CFXLimiter::setSampleRate(float rate) {
    FXModule::setSampleRate(rate);
    lookAhead.setSampleRate(rate);
    setLookAhead();
    recompute();
}

void CFXLimiter::setMaxBlockSize(int frames) {
    maxChunk = std::max(frames, 1);
    peaks.assign(maxChunk + 3, 0.0f);
}

void CFXLimiter::setParameter(int index, float value) {
    if (!std::isfinite(value)) return;
    switch (index) {
    case Threshold:
        threshold = std::max(value, 1e-6f);
        break;
    case Ratio:
        ratioExponent = value;
        break;
    case Attack:
        attackMs = std::max(value, 0.0f);
        break;
    case Release:
        releaseMs = std::max(value, 0.0f);
        break;
    case OutputGain:
        outputGain = value;
        break;
    default:
        return;
    }
    recompute();
}

// Attack and release are half-lives: per sample the envelope keeps 2^(−1 / (ms·0.001·fs)) of its
// distance to the peak, so it covers half of it in that time.
float CFXLimiter::halfLifeKeep(float ms) const {
    return ms == 0.0f ? 0.0f : static_cast<float>(std::exp2(-1.0 / (ms * 0.001 * sampleRate)));
}

void CFXLimiter::recompute() {
    attackCoefficient = 1.0f - halfLifeKeep(attackMs);
    releaseCoefficient = releaseMs == 0.0f ? 1.0f : halfLifeKeep(releaseMs);
    autoReleaseCoefficient = halfLifeKeep(autoReleaseMs);
    makeup = std::pow(threshold, 1.0f - ratioExponent);
    log2Makeup = std::log2(makeup);
    outputScale = (1.0f / makeup + 1.0f) * 0.5f;
}

void CFXLimiter::reset() {
    lookAhead.reset();
    std::fill(history.begin(), history.end(), 0.0f);
    historyEnd = 0;
    std::fill(peaks.begin(), peaks.end(), 0.0f);
    envelope = 1.0f;
    autoReleaseMs = 1.1f;
    autoReleaseCoefficient = halfLifeKeep(autoReleaseMs);
}

void CFXLimiter::process(float* left, float* right, int n) {
    const int chunk = maxChunk;
    for (int done = 0; done < n; done += chunk)
        processChunk(left + done, right + done, std::min(chunk, n - done));
}

void CFXLimiter::processChunk(float* left, float* right, int n) {
    if (!allFinite(left, right, n)) {
        for (int i = 0; i < n; ++i) {
            if (!std::isfinite(left[i])) left[i] = 0.0f;
            if (!std::isfinite(right[i])) right[i] = 0.0f;
        }
    }
    detectPeaks(left, right, n);
    computeGains(n);
    lookAhead.process(left, right, left, right, n);
    const float outFactor = outputGain * outputScale;
    const float ceiling = threshold * outFactor;
    for (int i = 0; i < n; ++i) {
        const float g = peaks[i] * outFactor;
        left[i] = std::clamp(left[i] * g, -ceiling, ceiling);
        right[i] = std::clamp(right[i] * g, -ceiling, ceiling);
    }
}

float CFXLimiter::windowMaximum() const {
    return largest(history.data(), windowLength, 0.0f);
}

void CFXLimiter::detectPeaks(const float* left, const float* right, int n) {
    if (loudest(left, right, n) < silence) {
        // Silence does not advance the window, so its maximum still covers every sample in the
        // look-ahead and holds the gain down until they are out; a window that has gone quiet gives zero.
        const float held = windowMaximum();
        std::fill_n(peaks.begin(), n, held < silence ? 0.0f : std::min(std::sqrt(held), peakCap));
        return;
    }
    for (int done = 0; done < n;) {
        const int m = std::min({n - done, windowLength - 1, kMaxRun});
        slideWindow(left + done, right + done, peaks.data() + done, m);
        done += m;
    }
    takeRoots(peaks.data(), n);
}

// Window maxima of m ≤ W − 1 new squared peaks v (W = windowLength). The window of new sample j holds
// v[0..j] and the W − 1 − j newest older values o[j + 1..W − 1] (o[0] oldest, at historyEnd), so its
// maximum is the larger of a prefix maximum of v and a suffix maximum of o.
void CFXLimiter::slideWindow(const float* left, const float* right, float* maxima, int m) {
    const int w = windowLength;
    float* h = history.data();
    // Suffix maxima: first of o[m + 1..W − 1], then back through o[m..1]; each range is at most two
    // contiguous runs of the ring.
    const int from = historyEnd + m + 1 < w ? historyEnd + m + 1 : historyEnd + m + 1 - w;
    const int count = w - 1 - m;
    const int first = std::min(count, w - from);
    float suffix = largest(h + from, first, 0.0f);
    suffix = largest(h, count - first, suffix);
    const int start = historyEnd + 1 < w ? historyEnd + 1 : 0; // o[1]
    const int beforeWrap = std::min(m, w - start);             // o[1..beforeWrap] lie at start..
    suffix = suffixMaxima(h, maxima + beforeWrap, m - beforeWrap, suffix);
    suffixMaxima(h + start, maxima, beforeWrap, suffix);

    // New squared peaks four at a time (the samples are finite here), then the running prefix maximum.
    alignas(16) float v[kMaxRun];
    const __m128 offset = _mm_set1_ps(denormalOffset);
    int i = 0;
    for (; i + 4 <= m; i += 4) {
        const __m128 l = _mm_add_ps(_mm_loadu_ps(left + i), offset);
        const __m128 r = _mm_add_ps(_mm_loadu_ps(right + i), offset);
        _mm_store_ps(v + i, _mm_max_ps(_mm_mul_ps(r, r), _mm_mul_ps(l, l)));
    }
    for (; i < m; ++i) {
        const float l = left[i] + denormalOffset;
        const float r = right[i] + denormalOffset;
        v[i] = std::max(l * l, r * r);
    }
    raiseToPrefixMaxima(v, maxima, m);
    // o[0..m − 1] are no longer needed: the new values take their slots.
    const int head = std::min(m, w - historyEnd);
    std::copy_n(v, head, h + historyEnd);
    std::copy_n(v + head, m - head, h);
    historyEnd = historyEnd + m < w ? historyEnd + m : historyEnd + m - w;
}

void CFXLimiter::computeGains(int n) {
    const bool automatic = releaseMs <= 1.0f;
    float release = automatic ? autoReleaseCoefficient : releaseCoefficient;
    const float attackKeep = 1.0f - attackCoefficient;
    // env + (peak − env)·a = env·(1 − a) + peak·a: with the peak terms off the recursion, each sample's
    // envelope is one multiply and one add away from the previous one.
    auto follow = [&](float env, float peak) {
        return peak > env ? env * attackKeep + (peak * attackCoefficient + denormalOffset)
                          : env * release + (peak - peak * release + denormalOffset);
    };
    float env = envelope;
    if (automatic) {
        // The release follows the gain reduction, so the envelope waits for each sample's logarithm.
        for (int i = 0; i < n; ++i) {
            peaks[i] = env = follow(env, peaks[i]);
            const float log2Gain = env > threshold ? log2GainOf(DSP::log2exp2::log2Of(env)) : 0.0f;
            release = followAutomaticRelease(log2Gain);
        }
    } else {
        for (int i = 0; i < n; ++i) peaks[i] = env = follow(env, peaks[i]);
    }
    envelope = env;
    envelopesToGains(n);
}

// gain = makeup·env^(k − 1) above the threshold, unity (exactly) below it; four at a time.
void CFXLimiter::envelopesToGains(int n) {
    const __m128 limit = _mm_set1_ps(threshold), one = _mm_set1_ps(unity);
    const __m128 logMakeup = _mm_set1_ps(log2Makeup), slope = _mm_set1_ps(ratioExponent - 1.0f);
    for (int i = 0; i < n; i += 4) {
        // The padding past n holds finite values, so whole vectors are safe.
        const __m128 env = _mm_loadu_ps(peaks.data() + i);
        const __m128 above = _mm_cmpgt_ps(env, limit);
        const __m128 logEnv = DSP::log2exp2::log2Of(_mm_max_ps(env, limit));
        const __m128 gain = DSP::log2exp2::exp2Of(_mm_add_ps(logMakeup, _mm_mul_ps(slope, logEnv)));
        _mm_storeu_ps(peaks.data() + i, _mm_or_ps(_mm_and_ps(above, gain), _mm_andnot_ps(above, one)));
    }
}

// r = reduction / 24 dB; t = 1 + s(r)·650 + 0.1 ms with s(r) = 1 − 7(1 − r) / (6(1 − r) + 1), the skew
// curve with k = 6, so a little reduction keeps the release short and deep reduction lengthens it fast.
// The release coefficient is recomputed only when t moves.
float CFXLimiter::followAutomaticRelease(float log2Gain) {
    constexpr float decibelsPerOctave = 6.0205999f;
    constexpr float idleMs = 1.0f + 0.1f; // t without gain reduction
    if (log2Gain == 0.0f && autoReleaseMs == idleMs) return autoReleaseCoefficient;
    const float reduction = std::clamp(log2Gain * decibelsPerOctave / -24.0f, 0.0f, 1.0f);
    const float rest = 1.0f - reduction;
    const float skewed = 1.0f - 7.0f * rest / (6.0f * rest + 1.0f);
    const float target = 1.0f + skewed * 650.0f + 0.1f;
    const float next =
        target > autoReleaseMs ? target : autoReleaseMs + (target - autoReleaseMs) * autoReleaseFall;
    if (next != autoReleaseMs) {
        autoReleaseMs = next;
        autoReleaseCoefficient = halfLifeKeep(autoReleaseMs);
    }
    return autoReleaseCoefficient;
}
