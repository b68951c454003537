// The audio thread's side of parameter changes: at the start of each block it collects what other
// threads posted and turns the values into DSP settings, then serves reset and bypass requests.
#include "dsp/CKavren.h"
#include "params/KavrenParameters.h"
#include "params/ValueFormat.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr int kSlopeDb[] = {12, 24, 48, 96};
constexpr double kModeCrossfadeSeconds = 0.02;

float decibelsToFactor(float dB) {
    return std::pow(10.0f, dB * 0.05f);
}

bool switchOn(float value) {
    return value >= 0.5f;
}

} // namespace

void CKavren::applyPendingChanges() {
    uint64_t slots = 0;
    uint32_t requests = 0;
    if (inbox_.collect(slots, requests, [this](uint64_t) { readPostedValues(); })) {
        applyingLoad_ = (requests & kLoadResetRequest) != 0;
        const uint64_t modeSlot = uint64_t(1) << kFilterMode;
        // The routing as it sounds now fades out while the new mode, with the slopes and settings that
        // come with it, fades in.
        if ((slots & modeSlot) && (switchOn(postedValues_[kFilterMode]) ? 1 : 0) != filters_.mode())
            filters_.beginCrossfade(int(kModeCrossfadeSeconds * sampleRate));
        for (uint64_t rest = slots & ~modeSlot; rest; rest &= rest - 1)
            applyParameter(std::countr_zero(rest));
        if (slots & modeSlot) applyFilterMode();
        if (requests) resetNow();
        applyingLoad_ = false;
    }
    if (const bool bypass = isBypassed(); bypass != rampTowardBypass_) startBypassRamp(bypass);
}

void CKavren::readPostedValues() {
    for (int slot = 0; slot < kSlotCount; ++slot)
        if (slotParameter_[slot]) postedValues_[slot] = slotParameter_[slot]->getValue();
}

void CKavren::applyParameter(int32_t slot) {
    using Side = DSP::CFilterStage::Side;
    using Target = DSP::CEnvelopeFollower::Target;
    const float value = postedValues_[slot];
    FilterSettings& lowPass = filterSettings_[Side::LowPass];
    FilterSettings& highPass = filterSettings_[Side::HighPass];

    switch (slot) {
    case kInputGain:
        inputGain_.setTarget(value);
        break;
    case kOutputGain:
        outputGain_.setTarget(value);
        break;
    case kLowPassFreq:
        lowPass.cutoff = value;
        cutoffRamp_[Side::LowPass].set(lowPassRange_.toNormalised(value));
        break;
    case kHighPassFreq:
        highPass.cutoff = value;
        cutoffRamp_[Side::HighPass].set(highPassRange_.toNormalised(value));
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
        const Side side = slot == kLowPassSlope ? Side::LowPass : Side::HighPass;
        const int dB = kSlopeDb[std::clamp(Tessu::wholeNumberOf(value), 1, 4) - 1];
        filterSettings_[side].slopeDb = dB;
        filters_.setSlope(side, dB);
        break;
    }
    case kLpEnvAttack:
    case kHpEnvAttack:
        envelope_.setAttackTime(slot == kLpEnvAttack ? Target::kLowPass : Target::kHighPass, value);
        break;
    case kLpEnvRelease:
    case kHpEnvRelease:
        envelope_.setReleaseTime(slot == kLpEnvRelease ? Target::kLowPass : Target::kHighPass, value);
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
        lfo_.setRate(value, slotParameter_[kLfoRate]->toNormalized(value));
        lfo_.requestRealign();
        break;
    case kLfoShape:
        // Applied on every change, an unchanged value too: a re-sent shape restarts the oscillator.
        lfo_.setShape(Tessu::wholeNumberOf(value));
        break;
    case kLfoSync:
        lfo_.setSync(switchOn(value));
        applyParameter(kLfoRate);
        break;
    case kLpLfoStrength:
        lowPass.lfoStrength = value;
        break;
    case kHpLfoStrength:
        highPass.lfoStrength = value;
        break;
    case kLfoBpm:
        lfo_.setBpmOverride(Tessu::wholeNumberOf(value));
        break;
    case kLfoShift:
        lfo_.setShift(value);
        break;
    case kDistLevel:
        distortion_.setLevel(value);
        break;
    case kDistPrePost:
        distortionAfterFilters_ = switchOn(value);
        break;
    case kRateReduceLevel:
        rateControl_.setLevel(value);
        break;
    case kRateLpLink:
        rateControl_.setLpLink(switchOn(value));
        break;
    case kRateLinkAmount:
        rateControl_.setLinkAmount(value);
        break;
    case kRatePrePost:
        rateAfterFilters_ = switchOn(value);
        break;
    case kRateFlip:
        rateControl_.setFlip(switchOn(value));
        break;
    case kLimiterRelease:
        limiter_.setParameter(CFXLimiter::Release, value);
        break;
    case kLimiterBypass:
        limiterSwitch_ = switchOn(value);
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
    case kGlobalLimiterSlot:
        globalLimiter_ = switchOn(value);
        break;
    default:
        // The bypass switch works through its record, the filter mode after all other settings;
        // "RinkModLinkFreq" and "FreqModLinkFreq" only decide what the editor shows.
        break;
    }
}

// The mode is a switch like the others: what the display shows is what runs. Both filters change
// design, which empties their caches, so the slopes are applied to the new designs, and the filters
// restart at their settings; the rest of the chain runs on undisturbed. A value that keeps the mode
// changes nothing.
void CKavren::applyFilterMode() {
    const int mode = switchOn(postedValues_[kFilterMode]) ? 1 : 0;
    if (mode == filters_.mode()) return;
    filters_.setMode(mode);
    filterMode_ = mode;
    applyParameter(kLowPassSlope);
    applyParameter(kHighPassSlope);
    restartFilters();
}

void CKavren::setBypass(bool bypass) {
    // The audio thread starts the fade at its next block.
    TessuOS::setBypass(bypass);
}

// A fade turned around half-way goes back from where it is. Coming back from a finished bypass, the
// cleared chain first fills its latency delays while the output stays the delayed input, so the fade
// blends two continuous signals.
void CKavren::startBypassRamp(bool bypass) {
    const float step = 1.0f / (15.0f * sampleRate * 0.001f);
    if (bypassRampFinished_) {
        bypassPosition_ = bypass ? 1.0f : 0.0f;
        bypassHold_ = bypass ? 0 : latency;
    }
    bypassIncrement_ = bypass ? -step : step;
    bypassRampFinished_ = false;
    rampTowardBypass_ = bypass;
}

void CKavren::reset() {
    inbox_.request(kResetRequest);
}
