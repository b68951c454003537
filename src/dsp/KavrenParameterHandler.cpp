// What each parameter change does to the effect's settings. Runs on the thread that changed the value;
// it only stores settings that the audio thread reads at its next block.
#include "dsp/CKavren.h"
#include "params/KavrenParameters.h"
#include "params/SkewCurve.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSlopeDb[] = {12, 24, 48, 96};

float decibelsToFactor(float dB) {
    return std::pow(10.0f, dB * 0.05f);
}

} // namespace

void CKavren::parameterChanged(Tessu::IPluginParameter* changed) {
    auto* parameter = static_cast<Tessu::ParameterProperty*>(changed);
    if (parameter) handleParameter(parameter->getId(), *parameter);
}

void CKavren::handleParameter(int32_t id, Tessu::ParameterProperty& p) {
    using Side = DSP::CFilterStage::Side;
    using Target = DSP::CEnvelopeFollower::Target;
    const float value = p.getValue();
    FilterSettings& lowPass = filterSettings_[Side::LowPass];
    FilterSettings& highPass = filterSettings_[Side::HighPass];

    switch (id) {
    case kInputGain:
        inputGain_.setTarget(value);
        break;
    case kOutputGain:
        outputGain_.setTarget(value);
        break;
    case kLowPassFreq:
        lowPass.cutoff = value;
        // The rate reduction's low-pass link follows at the next block.
        followLink(true);
        break;
    case kHighPassFreq:
        highPass.cutoff = value;
        followLink(false);
        break;
    case kLowPassQ:
        lowPass.resonance = value;
        break;
    case kHighPassQ:
        highPass.resonance = value;
        break;
    case kLowPassQWidth:
        lowPass.width = value;
        break;
    case kHighPassQWidth:
        highPass.width = value;
        break;
    case kLowPassSlope:
    case kHighPassSlope: {
        const Side side = id == kLowPassSlope ? Side::LowPass : Side::HighPass;
        const int dB = kSlopeDb[std::clamp(p.getIntValue(), 1, 4) - 1];
        filterSettings_[side].slopeDb = dB;
        filters_.setSlope(side, dB);
        break;
    }
    case kLinkFilters:
        linkFilters_ = p.getBoolValue();
        linkRatio_ = lowPass.cutoff / std::max(float(highPass.cutoff), 1e-6f);
        break;
    case kFilterMode:
        changeFilterMode(p.getIntValue());
        break;
    case kLpEnvAttack:
    case kHpEnvAttack:
        envelope_.setAttackTime(id == kLpEnvAttack ? Target::kLowPass : Target::kHighPass, value);
        break;
    case kLpEnvRelease:
    case kHpEnvRelease:
        envelope_.setReleaseTime(id == kLpEnvRelease ? Target::kLowPass : Target::kHighPass, value);
        break;
    case kLpEnvStrength:
        lowPass.envStrength = value;
        break;
    case kHpEnvStrength:
        highPass.envStrength = value;
        break;
    case kMeasurePoint:
        envelope_.setMeasurePoint(value);
        break;
    case kEnvBoost:
        envelope_.setBoostDb(value);
        break;
    case kLfoRate:
        lfo_.setRate(value, p.getNormalizedValue());
        lfo_.requestRealign();
        break;
    case kLfoShape:
        lfo_.setShape(p.getIntValue());
        lfo_.requestRealign();
        break;
    case kLfoSync:
        lfo_.setSync(p.getBoolValue());
        if (Tessu::ParameterProperty* rate = findParameterById(kLfoRate)) handleParameter(kLfoRate, *rate);
        break;
    case kLpLfoStrength:
        lowPass.lfoStrength = value;
        break;
    case kHpLfoStrength:
        highPass.lfoStrength = value;
        break;
    case kLfoBpm:
        lfo_.setBpmOverride(p.getIntValue());
        break;
    case kLfoShift:
        lfo_.setShift(value);
        lfo_.requestRealign();
        break;
    case kDistLevel:
        distortion_.setLevel(value);
        distortionActive_ = value > 0.0f;
        break;
    case kDistPrePost:
        distortionAfterFilters_ = p.getBoolValue();
        break;
    case kRateReduceLevel:
        rateControl_.setLevel(value);
        break;
    case kRateLpLink:
        rateControl_.setLpLink(p.getBoolValue());
        break;
    case kRateLinkAmount:
        rateControl_.setLinkAmount(value);
        break;
    case kRatePrePost:
        rateAfterFilters_ = p.getBoolValue();
        break;
    case kRateFlip:
        rateControl_.setFlip(p.getBoolValue());
        break;
    case kLimiterRelease:
        limiter_.setParameter(CFXLimiter::Release, value);
        break;
    case kLimiterBypass:
        limiterSwitch_ = p.getBoolValue();
        break;
    case kLimiterOutGain:
        limiter_.setParameter(CFXLimiter::OutputGain, decibelsToFactor(value));
        break;
    case kRingModFreq:
        ringControl_.setFrequency(value);
        break;
    case kRingModMix:
        ringControl_.setMix(value);
        break;
    case kRingModLinkAmount:
        ringControl_.setLinkPercent(value);
        break;
    case kDryWetMix:
        dryWetAmount_ = value;
        break;
    case kBypass:
        setBypass(p.getBoolValue());
        break;
    case kFreqModFreq:
        frequencyModControl_.setFrequency(value);
        break;
    case kFreqModMix:
        frequencyModControl_.setMix(value);
        break;
    case kFreqModLinkFreqAmount:
        frequencyModControl_.setLinkFrequencyPercent(value);
        break;
    case kFreqModLinkMixAmount:
        frequencyModControl_.setLinkMixPercent(value);
        break;
    case kFilterInertia:
        inertia_ = DSP::CFilterControl::inertiaFromParameter(value);
        break;
    case kGlobalLimiterParameterId:
        globalLimiter_ = p.getBoolValue();
        break;
    default:
        // "RinkModLinkFreq" and "FreqModLinkFreq" only decide what the editor shows.
        break;
    }
}

// The other filter follows the leader so that their ratio stays what it was when the link was made.
void CKavren::followLink(bool lowPassLeads) {
    if (!linkFilters_ || linkUpdateRunning_ || settingsLoading_) return;
    linkUpdateRunning_ = true;
    const float ratio = linkRatio_;
    if (lowPassLeads)
        setFilterParameter(kHighPassFreq, filterSettings_[DSP::CFilterStage::LowPass].cutoff / ratio);
    else
        setFilterParameter(kLowPassFreq, filterSettings_[DSP::CFilterStage::HighPass].cutoff * ratio);
    linkUpdateRunning_ = false;
}

void CKavren::setFilterParameter(int32_t id, float value) {
    if (Tessu::ParameterProperty* p = findParameterById(id)) p->setValue(value);
}

void CKavren::changeFilterMode(int mode) {
    const bool changed = filters_.setMode(mode);
    filterMode_ = mode;
    // The mode switch emptied the caches; the slopes are applied to the new designs.
    for (int32_t id : {kLowPassSlope, kHighPassSlope})
        if (Tessu::ParameterProperty* p = findParameterById(id)) handleParameter(id, *p);
    if (changed) {
        if (!settingsLoading_) exchangeFilterSettings();
        reset();
    }
    linkRatio_ = filterSettings_[DSP::CFilterStage::LowPass].cutoff /
                 std::max(float(filterSettings_[DSP::CFilterStage::HighPass].cutoff), 1e-6f);
    reset();
}

// Switching between series and parallel turns the roles around, so the two filters swap settings.
void CKavren::exchangeFilterSettings() {
    const bool wasRunning = linkUpdateRunning_;
    linkUpdateRunning_ = true;
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
