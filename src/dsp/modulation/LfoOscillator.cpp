#include "dsp/modulation/LfoOscillator.h"

#include "dsp/modulation/LfoSyncDivisions.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

namespace DSP::Generators {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

double wrapUnit(double x) {
    return x - std::floor(x);
}

} // namespace

void CLFOOscillator::Phasor::setStep(double omega) {
    stepCos = std::cos(omega);
    stepSin = std::sin(omega);
    std::fill(std::begin(seriesCount), std::end(seriesCount), -1);
}

double CLFOOscillator::Phasor::advanceSum(int count) {
    int slot =
        int(std::find(std::begin(seriesCount), std::end(seriesCount), count) - std::begin(seriesCount));
    if (slot == kSeriesSlots) {
        slot = oldestSlot;
        oldestSlot = (oldestSlot + 1) % kSeriesSlots;
        series[slot] = PhasorSeries::of(stepCos, stepSin, count);
        seriesCount[slot] = count;
    }
    return series[slot].advance(x, y);
}

void CLFOOscillator::Phasor::rotate(double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double nx = x * c - y * s;
    const double ny = x * s + y * c;
    x = std::clamp(nx, -1.0, 1.0);
    y = std::clamp(ny, -1.0, 1.0);
}

int CLFOOscillator::shapeFromParameter(int value) {
    return value == 5 ? kSquare : std::clamp(value, 0, 4);
}

CLFOOscillator::CLFOOscillator() {
    setupRate();
    restart();
}

void CLFOOscillator::setSampleRate(double rate) {
    if (!(rate > 0.0) || !std::isfinite(rate)) return;
    sampleRate = rate;
    setupRate();
    restart();
}

void CLFOOscillator::setRate(double hz) {
    freeRate = std::max(0.0, finiteOr(hz, 0.0));
    setupRate();
}

void CLFOOscillator::setSyncIndex(int index) {
    syncIndex = std::max(0, index);
    setupRate();
}

void CLFOOscillator::setTempo(double bpm) {
    tempo = std::max(0.0, finiteOr(bpm, 0.0));
    setupRate();
}

void CLFOOscillator::setShape(int newShape) {
    shape = newShape >= kSine && newShape <= kSquare ? newShape : kSine;
    setupRate();
    restart();
}

void CLFOOscillator::setShift(double cycles) {
    shift = finiteOr(cycles, 0.0);
    applyShift();
}

double CLFOOscillator::getRate() const {
    return syncIndex == 0 ? freeRate : tempo / 60.0 * DSP::syncCyclesPerBeat(syncIndex);
}

// Every increment is computed whatever the shape, so a shape change needs no extra bookkeeping.
void CLFOOscillator::setupRate() {
    const double rate = getRate();
    const double omega = kTwoPi * rate / sampleRate;
    phasor.setStep(omega);
    phasor2.setStep(2.0 * omega);
    switch (shape) {
    case kTriangle:
    case kSteppedRandom:
    case kSmoothRandom:
        increment = 4.0 * rate / sampleRate;
        break;
    case kSquare:
        increment = static_cast<float>(rate / sampleRate);
        break;
    default:
        increment = rate / sampleRate;
        break;
    }
}

void CLFOOscillator::restart() {
    prepareStart();
    applyShift();
}

void CLFOOscillator::prepareStart() {
    phasor.x = phasor2.x = 0.0;
    phasor.y = phasor2.y = -1.0;
    appliedShift = 0.0;
    phase = 0.0;
    level = 0.0;
    direction = 1.0;
    randomFrom = nextRandom();
    randomTo = nextRandom();
    startPending = true;
}

void CLFOOscillator::applyShift() {
    switch (shape) {
    case kSine:
    case kModSine:
    case kDoubleSine: {
        const double angle = kTwoPi * (shift - appliedShift);
        phasor.rotate(angle);
        phasor2.rotate(angle);
        appliedShift = shift;
        break;
    }
    case kTriangle: {
        const double p = wrapUnit(shift);
        if (p < 0.25) {
            level = 4.0 * p;
            direction = 1.0;
        } else if (p < 0.5) {
            level = 1.0 - 4.0 * (p - 0.25);
            direction = -1.0;
        } else if (p < 0.75) {
            level = -4.0 * (p - 0.5);
            direction = -1.0;
        } else {
            level = 4.0 * (p - 0.75) - 1.0;
            direction = 1.0;
        }
        break;
    }
    case kSteppedRandom:
    case kSmoothRandom:
        phase = wrapUnit(4.0 * shift);
        break;
    default:
        phase = wrapUnit(shift);
        break;
    }
}

// 32-bit linear congruential generator mapped to [-1, 1).
double CLFOOscillator::nextRandom() {
    randomState = randomState * 1664525u + 1013904223u;
    return static_cast<double>(randomState) * (2.0 / 4294967296.0) - 1.0;
}

void CLFOOscillator::advance() {
    switch (shape) {
    case kSine:
    case kModSine:
        phasor.advance();
        break;
    case kDoubleSine:
        phasor.advance();
        phasor2.advance();
        break;
    case kTriangle:
        level += direction * increment;
        if (level > 1.0) {
            level = 2.0 - level;
            direction = -1.0;
        } else if (level < -1.0) {
            level = -2.0 - level;
            direction = 1.0;
        }
        break;
    case kSaw:
        phase += increment;
        if (phase > 1.0) phase -= std::floor(phase);
        break;
    case kSquare:
        phase += increment;
        if (phase >= 1.0) phase -= std::floor(phase);
        break;
    case kSteppedRandom:
    case kSmoothRandom:
        phase += increment;
        if (phase >= 1.0) {
            phase -= std::floor(phase);
            randomFrom = randomTo;
            randomTo = nextRandom();
        }
        break;
    }
}

double CLFOOscillator::read() const {
    switch (shape) {
    case kModSine:
        return phasor.x >= 0.0 ? phasor.x : -0.5 * phasor.x;
    case kDoubleSine:
        return 0.5 * (phasor.x + phasor2.x);
    case kTriangle:
        return level;
    case kSaw:
        return 1.0 - 2.0 * phase;
    case kSquare:
        return phase < 0.5 ? 1.0 : -1.0;
    case kSteppedRandom:
        return randomFrom;
    case kSmoothRandom:
        return randomFrom + (randomTo - randomFrom) * phase;
    default:
        return phasor.x;
    }
}

double CLFOOscillator::tick() {
    if (startPending)
        startPending = false;
    else
        advance();
    return read();
}

void CLFOOscillator::tickInto(double* out, int n) {
    int k = 0;
    if (n > 0 && startPending) {
        startPending = false;
        out[k++] = read();
    }
    switch (shape) {
    case kSine:
        rotateInto(phasor.x, phasor.y, phasor.stepCos, phasor.stepSin, out + k, n - k);
        break;
    case kModSine:
        rotateInto(phasor.x, phasor.y, phasor.stepCos, phasor.stepSin, out + k, n - k);
        for (; k < n; ++k) out[k] = out[k] >= 0.0 ? out[k] : -0.5 * out[k];
        break;
    default:
        for (; k < n; ++k) {
            advance();
            out[k] = read();
        }
        break;
    }
}

double CLFOOscillator::tickSum(int count) {
    if (count <= 0) return 0.0;
    double sum = 0.0;
    if (startPending) {
        startPending = false;
        sum = read();
        --count;
    }
    switch (shape) {
    case kSine:
        return sum + phasor.advanceSum(count);
    case kDoubleSine:
        return sum + 0.5 * (phasor.advanceSum(count) + phasor2.advanceSum(count));
    default:
        for (int i = 0; i < count; ++i) {
            advance();
            sum += read();
        }
        return sum;
    }
}

} // namespace DSP::Generators
