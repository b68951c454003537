// One block of audio through the effect: gain, modulation, filters, colouring effects, limiter,
// latency alignment, dry/wet and the bypass crossfade.
#include "dsp/CKavren.h"
#include "dsp/FloatingPointGuard.h"
#include "dsp/modulation/CutoffModulation.h"
#include "frame/VectorOps.h"

#include <algorithm>
#include <cmath>

namespace {

DSP::StereoView view(const Tessu::AudioStereoBus& bus) {
    return {bus.left, bus.right};
}

constexpr float kMixSmoothing = 0.005f;

} // namespace

void CKavren::process(Tessu::ProcessContext& context) {
    FloatingPointGuard guard;
    const int n = context.frames;
    if (n <= 0 || context.numInputs < 1 || context.numOutputs < 1) return;
    Tessu::AudioStereoBus& in = context.inputs[0];
    Tessu::AudioStereoBus& out = context.outputs[0];
    const DSP::StereoView input = view(in), output = view(out);

    // Sized with the block size; only a block longer than announced grows it here.
    const float* source[2] = {in.left, in.right};
    dry_.copyFrom(source, n);
    const DSP::StereoView dry = view(dry_);
    dryDelay_.process(dry, n);

    if (isBypassed() && bypassRampFinished_) {
        processBypassed(context, n);
        return;
    }
    if (n > blockSize) setBlockSize(n);

    const DSP::StereoView work = view(work_);
    Tessu::vec::copy(in.left, work.left, size_t(n));
    Tessu::vec::copy(in.right, work.right, size_t(n));
    inputGain_.process(work, n);

    envelope_.process(work.left, work.right, n);
    lfo_.advance(n, context.tempo, context.playing, context.samplePos);
    runFilterControl();

    const bool distortionBefore = distortionActive_ && !distortionAfterFilters_;
    const bool rateBefore = !rateAfterFilters_;
    if (distortionBefore) distortion_.process(work, n);
    if (rateBefore) rateReducer_.process(work, n);
    const float wetAmount = dryWetAmount_;
    if (wetAmount != 1.0f && (distortionBefore || rateBefore)) {
        float weight = dryWeight_;
        crossfadeTowardDry(work, input, n, weight, 1.0f - wetAmount);
    }

    const bool analysing = analysisRequested_;
    filters_.process({input, work, view(parallel_), analysing ? view(analysis_) : DSP::StereoView{}, output},
                     n);
    ringMod_.processStereoInPlace(output, n);
    // An idle frequency modulator would only delay the wet path by one sample against the dry path and
    // the reported latency, so it just keeps its delay line fed.
    if (frequencyModulator_.isIdle())
        frequencyModulator_.writeOnly(output, n);
    else
        frequencyModulator_.processBlock(output, n);
    if (distortionActive_ && distortionAfterFilters_) distortion_.process(output, n);
    if (rateAfterFilters_) rateReducer_.process(output, n);

    if (limiterSwitch_ && globalLimiter_)
        limiter_.process(output.left, output.right, n);
    else
        outputDelay_.process(output, n);
    outputGain_.process(output, n);
    if (analysing) analysisDelay_.process(view(analysis_), n);

    crossfadeTowardDry(output, dry, n, dryWeight_, 1.0f - wetAmount);
    if (!bypassRampFinished_) bypassCrossfade(output, dry, n);
}

// The input passes untouched; the editor's input meter holds the block peaks.
void CKavren::processBypassed(Tessu::ProcessContext& context, int n) {
    Tessu::AudioStereoBus& in = context.inputs[0];
    float* destination[2] = {context.outputs[0].left, context.outputs[0].right};
    in.copyTo(destination, n);
    float left = bypassPeakLeft_.load(std::memory_order_relaxed);
    float right = bypassPeakRight_.load(std::memory_order_relaxed);
    in.measurePeaks(n, left, right);
    bypassPeakLeft_.store(left, std::memory_order_relaxed);
    bypassPeakRight_.store(right, std::memory_order_relaxed);
}

double CKavren::targetCutoff(DSP::CFilterStage::Side side) const {
    const FilterSettings& s = filterSettings_[side];
    const DSP::SkewedRange& range = side == DSP::CFilterStage::LowPass ? lowPassRange_ : highPassRange_;
    const auto target = side == DSP::CFilterStage::LowPass ? DSP::CEnvelopeFollower::kLowPass
                                                           : DSP::CEnvelopeFollower::kHighPass;
    double f = DSP::envelopeModulatedCutoff(range, s.cutoff, envelope_.value(target), s.envStrength);
    f = DSP::lfoModulatedCutoff(f, lfo_.blockValue(), s.lfoStrength);
    return std::clamp(f, 0.0, 22050.0);
}

void CKavren::runFilterControl() {
    const float inertia = inertia_;
    for (auto side : {DSP::CFilterStage::LowPass, DSP::CFilterStage::HighPass}) {
        const double target = targetCutoff(side);
        modulatedCutoff_[side] = float(target);
        const FilterSettings& s = filterSettings_[side];
        if (side == DSP::CFilterStage::LowPass)
            rateControl_.update(rateReducer_, float(target), settingsLoading_);
        filters_.updateControl(side, target, s.resonance, s.width, inertia);
    }
    updateModulationLinks();
}

double CKavren::lowPassNormalisedPosition() const {
    return lowPassRange_.toNormalised(filters_.control(DSP::CFilterStage::LowPass).smoothedCutoff());
}

void CKavren::updateModulationLinks() {
    const double lowPass = lowPassNormalisedPosition();
    ringControl_.update(ringMod_, lowPass);
    frequencyModControl_.update(frequencyModulator_, lowPass);
}

// Per sample the dry weight g moves 0.5 % of the way to its target; the result is g·dry + (1 − g)·wet.
void CKavren::crossfadeTowardDry(DSP::StereoView out, DSP::StereoView dry, int n, float& dryWeight,
                                 float target) {
    float g = dryWeight;
    // Fully wet and settled: the dry share is below what a float sample can show.
    if (target == 0.0f && g < 1e-12f) return;
    for (int i = 0; i < n; ++i) {
        g = g + 1e-24f + (target - g) * kMixSmoothing;
        out.left[i] += (dry.left[i] - out.left[i]) * g;
        out.right[i] += (dry.right[i] - out.right[i]) * g;
    }
    dryWeight = g;
}

void CKavren::bypassCrossfade(DSP::StereoView out, DSP::StereoView dry, int n) {
    float position = bypassPosition_;
    const float step = bypassIncrement_;
    int i = 0;
    for (; i < n; ++i) {
        out.left[i] = dry.left[i] + (out.left[i] - dry.left[i]) * position;
        out.right[i] = dry.right[i] + (out.right[i] - dry.right[i]) * position;
        position += step;
        if (position >= 1.0f || position <= 0.0f) {
            ++i;
            break;
        }
    }
    // After a finished fade-out the rest of the block is the dry signal.
    for (; position <= 0.0f && i < n; ++i) {
        out.left[i] = dry.left[i];
        out.right[i] = dry.right[i];
    }
    bypassPosition_ = std::clamp(position, 0.0f, 1.0f);
    if (position >= 1.0f || position <= 0.0f) {
        bypassRampFinished_ = true;
        if (isBypassed()) clearStateAfterBypass();
    }
}

// Un-bypassing then starts from silence in every filter and smoother.
void CKavren::clearStateAfterBypass() {
    limiter_.reset();
    rateReducer_.reset();
    inputGain_.jumpToTarget();
    outputGain_.jumpToTarget();
    inputGain_.clearPeaks();
    outputGain_.clearPeaks();
    envelope_.reset();
    for (auto side : {DSP::CFilterStage::LowPass, DSP::CFilterStage::HighPass})
        filters_.resetControl(side, filterSettings_[side].cutoff, filterSettings_[side].resonance);
    filters_.clearState();
    lfo_.requestRealign();
    ringMod_.reset();
    analysisDelay_.clear();
    dryWeight_ = 1.0f - dryWetAmount_;
}
