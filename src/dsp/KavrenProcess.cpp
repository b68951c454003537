// One block of audio through the effect: gain, modulation, filters, colouring effects, limiter,
// latency alignment, dry/wet and the bypass crossfade.
#include "dsp/CKavren.h"
#include "dsp/FloatingPointGuard.h"
#include "dsp/modulation/CutoffModulation.h"
#include "frame/VectorOps.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

DSP::StereoView view(const Tessu::AudioStereoBus& bus) {
    return {bus.left, bus.right};
}

constexpr float kMixSmoothing = 0.005f;

// +120 dBFS: louder input is held here, so that no stage (squares in the shaper, resonant peaks, gains)
// can leave float's range however the effect is set.
constexpr float kInputCeiling = 1e6f;

// Non-finite samples become silence: |x| ≤ FLT_MAX is false for NaN and infinity alike. Four lanes at
// a time, about two instructions per sample.
void sanitise(const float* in, float* out, int n) {
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    const __m128 high = _mm_set1_ps(kInputCeiling), low = _mm_set1_ps(-kInputCeiling);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 x = _mm_loadu_ps(in + i);
        const __m128 finite = _mm_cmple_ps(_mm_and_ps(x, magnitude), largest);
        _mm_storeu_ps(out + i, _mm_min_ps(_mm_max_ps(_mm_and_ps(x, finite), low), high));
    }
    for (; i < n; ++i) {
        const float x = in[i];
        out[i] = std::clamp(std::fabs(x) <= std::numeric_limits<float>::max() ? x : 0.0f, -kInputCeiling,
                            kInputCeiling);
    }
}

} // namespace

void CKavren::process(Tessu::ProcessContext& context) {
    FloatingPointGuard guard;
    applyPendingChanges();
    const int frames = context.frames;
    if (frames <= 0 || context.numInputs < 1 || context.numOutputs < 1) return;
    const DSP::StereoView input = view(context.inputs[0]), output = view(context.outputs[0]);
    // A block longer than announced is processed in pieces of the buffers' size; nothing grows here.
    const int capacity = std::max(work_.capacity, 1);
    for (int done = 0; done < frames;) {
        const int n = std::min(capacity, frames - done);
        processBlock({{input.left + done, input.right + done},
                      {output.left + done, output.right + done},
                      n,
                      context.samplePos + done,
                      context.tempo,
                      context.playing});
        done += n;
    }
    publishEditorValues();
}

void CKavren::processBlock(const Block& block) {
    const int n = block.n;
    const DSP::StereoView input = view(input_), output = block.output;
    sanitise(block.input.left, input.left, n);
    sanitise(block.input.right, input.right, n);
    const float* source[2] = {input.left, input.right};
    dry_.copyFrom(source, n);
    const DSP::StereoView dry = view(dry_);
    dryDelay_.process(dry, n);

    if (rampTowardBypass_ && bypassRampFinished_) {
        processBypassed(block, dry);
        return;
    }

    const DSP::StereoView work = view(work_);
    Tessu::vec::copy(input.left, work.left, size_t(n));
    Tessu::vec::copy(input.right, work.right, size_t(n));
    inputGain_.process(work, n);

    envelope_.process(work.left, work.right, n);
    lfo_.advance(n, block.tempo, block.playing, block.samplePos);
    runFilterControl();

    const bool distortionBefore = !distortionAfterFilters_;
    const bool rateBefore = !rateAfterFilters_;
    if (distortionBefore) distortion_.process(work, n);
    if (rateBefore) rateReducer_.process(work, n);
    const float wetAmount = dryWetAmount_;
    // The pre-mix depends on placement alone, so a drive leaving 0 does not step the level.
    if (wetAmount != 1.0f && (distortionBefore || rateBefore)) {
        float weight = dryWeight_;
        crossfadeTowardDry(work, input, n, weight, 1.0f - wetAmount);
    }

    filters_.process({input, work, view(parallel_), output}, n);
    ringMod_.processStereoInPlace(output, n);
    // An idle frequency modulator would only delay the wet path by one sample against the dry path and
    // the reported latency, so it just keeps its delay line fed.
    if (frequencyModulator_.isIdle())
        frequencyModulator_.writeOnly(output, n);
    else
        frequencyModulator_.processBlock(output, n);
    if (distortionAfterFilters_) distortion_.process(output, n);
    if (rateAfterFilters_) rateReducer_.process(output, n);

    if (limiterSwitch_ && globalLimiter_)
        limiter_.process(output.left, output.right, n);
    else
        outputDelay_.process(output, n);
    outputGain_.process(output, n);

    crossfadeTowardDry(output, dry, n, dryWeight_, 1.0f - wetAmount);
    if (!bypassRampFinished_) bypassCrossfade(output, dry, n);
    if (analysisRequested_) feedDisplays(block);
}

// The input passes through the latency delay only, so the track keeps its place against the latency
// the host compensates and the fades at both ends are seamless; the editor's input meter holds the
// block peaks.
void CKavren::processBypassed(const Block& block, DSP::StereoView delayedDry) {
    Tessu::vec::copy(delayedDry.left, block.output.left, size_t(block.n));
    Tessu::vec::copy(delayedDry.right, block.output.right, size_t(block.n));
    auto raisePeak = [n = size_t(block.n)](std::atomic<float>& peak, const float* x) {
        const float blockPeak =
            std::max(std::fabs(Tessu::vec::maximum(x, n)), std::fabs(Tessu::vec::minimum(x, n)));
        if (blockPeak > peak.load(std::memory_order_relaxed))
            peak.store(blockPeak, std::memory_order_relaxed);
    };
    raisePeak(bypassPeakLeft_, input_.left);
    raisePeak(bypassPeakRight_, input_.right);
    if (analysisRequested_) feedDisplays(block);
}

void CKavren::feedDisplays(const Block& block) {
    const float* left = block.output.left;
    const float* right = block.output.right;
    spectrumFeed_.write(block.n, [left, right](int i) { return (left[i] + right[i]) * 0.5f; });
    for (auto target : {DSP::CEnvelopeFollower::kLowPass, DSP::CEnvelopeFollower::kHighPass})
        envelopeHistory_[target].write(1, [this, target](int) { return envelope_.value(target); });
}

void CKavren::publishEditorValues() {
    shownEnvelope_[DSP::CEnvelopeFollower::kLowPass] = envelope_.value(DSP::CEnvelopeFollower::kLowPass);
    shownEnvelope_[DSP::CEnvelopeFollower::kHighPass] = envelope_.value(DSP::CEnvelopeFollower::kHighPass);
    shownLfo_ = lfo_.blockValue();
    shownRingFrequency_ = ringControl_.effectiveFrequency();
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
            rateControl_.update(rateReducer_, float(target), applyingLoad_);
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
        g = g + (target - g) * kMixSmoothing;
        out.left[i] += (dry.left[i] - out.left[i]) * g;
        out.right[i] += (dry.right[i] - out.right[i]) * g;
    }
    dryWeight = g;
}

void CKavren::bypassCrossfade(DSP::StereoView out, DSP::StereoView dry, int n) {
    int i = 0;
    for (; i < n && bypassHold_ > 0; ++i, --bypassHold_) {
        out.left[i] = dry.left[i];
        out.right[i] = dry.right[i];
    }
    if (i == n) return;
    float position = bypassPosition_;
    const float step = bypassIncrement_;
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
        if (rampTowardBypass_) clearStateAfterBypass();
    }
}

// Un-bypassing then starts from silence in every filter and smoother.
void CKavren::clearStateAfterBypass() {
    limiter_.reset();
    rateReducer_.reset();
    distortion_.reset();
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
    dryWeight_ = 1.0f - dryWetAmount_;
}
