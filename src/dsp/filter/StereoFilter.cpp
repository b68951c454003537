#include "dsp/filter/StereoFilter.h"

#include <algorithm>
#include <cmath>

namespace DSP {

CStereoFilter::CStereoFilter() {
    redesignAfterTypeChange();
}

void CStereoFilter::setCutoff(double hz, int rampSamples) {
    if (!std::isfinite(hz)) return;
    cutoffHz = std::clamp(std::floor(hz), 10.0, 22000.0);
    const int slot = CCoefficientCache::slotIndex(cutoffHz);
    if (slot != loadedSlot) loadSlot(slot, rampSamples);
}

void CStereoFilter::loadSlot(int slot, int rampSamples) {
    const FilterDesign* cached = coefficientCache.find(slot);
    if (!cached) {
        const auto response = designsHighPass() ? FilterResponse::HighPass : FilterResponse::LowPass;
        coefficientCache.store(slot, designButterworth(response, filterOrder, cutoffHz, rate));
        cached = coefficientCache.find(slot);
    }
    filterVoice.load(*cached, rampSamples);
    // The next step most likely moves on as this one did.
    if (loadedSlot >= 0) coefficientCache.prefetch(slot + (slot - loadedSlot));
    loadedSlot = slot;
}

void CStereoFilter::redesignAfterTypeChange() {
    coefficientCache.empty();
    loadSlot(CCoefficientCache::slotIndex(cutoffHz), 0);
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
    filterVoice.setComplement(highPassMarker && !designAsHighPass);
    if (designsHighPass() != wasHighPass) redesignAfterTypeChange();
}

void CStereoFilter::setDesignAsHighPass(bool on) {
    const bool wasHighPass = designsHighPass();
    designAsHighPass = on;
    filterVoice.setComplement(highPassMarker && !designAsHighPass);
    if (designsHighPass() != wasHighPass) redesignAfterTypeChange();
}

} // namespace DSP
