// What a parameter change does at once, on the thread that made it: the link between the two cut-offs,
// the exchange of the filter settings when the filter mode switches, the bypass record. Everything that
// touches the DSP is posted to the audio thread (KavrenSettings.cpp).
#include "dsp/CKavren.h"
#include "params/KavrenParameters.h"

#include <algorithm>

void CKavren::parameterChanged(Tessu::IPluginParameter* changed) {
    auto* parameter = static_cast<Tessu::ParameterProperty*>(changed);
    if (!parameter) return;
    const int32_t id = parameter->getId();
    switch (id) {
    case kLowPassFreq:
    case kHighPassFreq:
        followLink(id == kLowPassFreq);
        break;
    case kLinkFilters:
        linkFilters_ = parameter->getBoolValue();
        updateLinkRatio();
        break;
    case kFilterMode:
        switchFilterMode(*parameter);
        return;
    case kBypass:
        setBypass(parameter->getBoolValue());
        break;
    default:
        break;
    }
    if (id == kGlobalLimiterParameterId)
        inbox_.post(kGlobalLimiterSlot);
    else if (id >= 0 && id < kParameterCount)
        inbox_.post(id);
}

// The other filter follows the leader so that their ratio stays what it was when the link was made. The
// pair reaches the audio thread together.
void CKavren::followLink(bool lowPassLeads) {
    if (!linkFilters_ || settingsLoading_ || linkUpdateRunning_.exchange(true)) return;
    inbox_.beginBatch();
    const float ratio = linkRatio_;
    if (lowPassLeads)
        setFilterParameter(kHighPassFreq, parameterValue(kLowPassFreq) / ratio);
    else
        setFilterParameter(kLowPassFreq, parameterValue(kHighPassFreq) * ratio);
    inbox_.post(lowPassLeads ? kLowPassFreq : kHighPassFreq);
    inbox_.endBatch();
    linkUpdateRunning_ = false;
}

void CKavren::setFilterParameter(int32_t id, float value) {
    if (Tessu::ParameterProperty* p = findParameterById(id)) p->setValue(value);
}

void CKavren::updateLinkRatio() {
    linkRatio_ = parameterValue(kLowPassFreq) / std::max(parameterValue(kHighPassFreq), 1e-6f);
}

// Switching between series and parallel turns the roles around, so the two filters swap settings; the
// audio thread sees the new mode and the swapped settings in the same block.
void CKavren::switchFilterMode(const Tessu::ParameterProperty& mode) {
    inbox_.beginBatch();
    const bool parallel = mode.getBoolValue();
    if (parallelFilters_.exchange(parallel) != parallel && !settingsLoading_) exchangeFilterSettings();
    updateLinkRatio();
    inbox_.post(kFilterMode);
    inbox_.endBatch();
}

void CKavren::exchangeFilterSettings() {
    const bool wasRunning = linkUpdateRunning_.exchange(true);
    for (auto [a, b] :
         {std::pair{kLowPassFreq, kHighPassFreq}, std::pair{kLowPassQ, kHighPassQ},
          std::pair{kLowPassQWidth, kHighPassQWidth}, std::pair{kLowPassSlope, kHighPassSlope}}) {
        Tessu::ParameterProperty* first = findParameterById(a);
        Tessu::ParameterProperty* second = findParameterById(b);
        if (!first || !second) continue;
        const float firstValue = first->getValue();
        first->setValue(second->getValue());
        second->setValue(firstValue);
    }
    linkUpdateRunning_ = wasRunning;
}
