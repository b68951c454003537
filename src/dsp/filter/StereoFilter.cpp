#include "dsp/filter/StereoFilter.h"

#include <algorithm>
#include <cmath>

namespace DSP {

CStereoFilter::CStereoFilter() : kernels(&filterKernels()) {
    redesignAfterTypeChange();
}

void CStereoFilter::setCutoff(double hz) {
    if (!std::isfinite(hz)) return;
    cutoffHz = std::clamp(std::floor(hz), 10.0, 22000.0);
    const int slot = CCoefficientCache::slotIndex(cutoffHz);
    if (slot != loadedSlot) loadSlot(slot);
}

void CStereoFilter::loadSlot(int slot) {
    const FilterDesign* cached = coefficientCache.find(slot);
    if (!cached) {
        const auto response = designsHighPass() ? FilterResponse::HighPass : FilterResponse::LowPass;
        coefficientCache.store(slot, designButterworth(response, filterOrder, cutoffHz, rate));
        cached = coefficientCache.find(slot);
    }
    cascadeA.load(*cached);
    cascadeB.load(*cached);
    cascadeC.load(allPassOf(*cached));
    loadedSlot = slot;
}

void CStereoFilter::redesignAfterTypeChange() {
    coefficientCache.empty();
    loadSlot(CCoefficientCache::slotIndex(cutoffHz));
}

void CStereoFilter::setSampleRate(double newRate) {
    if (!(newRate > 0.0) || newRate == rate) return;
    rate = newRate;
    redesignAfterTypeChange();
}

void CStereoFilter::setOrderFromSlope(int dB) {
    const int newOrder = dB / 12;
    if (newOrder < 1 || newOrder > maxOrder) return;
    filterOrder = newOrder;
    redesignAfterTypeChange();
    clearState();
}

void CStereoFilter::setHighPassMarker(bool on) {
    const bool wasHighPass = designsHighPass();
    highPassMarker = on;
    if (designsHighPass() != wasHighPass) redesignAfterTypeChange();
}

void CStereoFilter::setDesignAsHighPass(bool on) {
    const bool wasHighPass = designsHighPass();
    designAsHighPass = on;
    if (designsHighPass() != wasHighPass) redesignAfterTypeChange();
}

void CStereoFilter::clearState() {
    cascadeA.clearState();
    cascadeB.clearState();
    cascadeC.clearState();
}

bool CStereoFilter::sanitize() {
    const bool a = cascadeA.sanitize();
    const bool b = cascadeB.sanitize();
    const bool c = cascadeC.sanitize();
    return a || b || c;
}

void CStereoFilter::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    const bool complement = highPassMarker && !designAsHighPass;
    kernels->runFilter(cascadeA.view(), cascadeB.view(), cascadeC.view(), complement, inL, inR, outL, outR,
                       n);
    sanitize();
}

} // namespace DSP
