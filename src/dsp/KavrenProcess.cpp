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
    const int capacity = std::clamp(work_.capacity, 1, kMaxBlockPiece);
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
    // Only the editor's display shows the meters.
    const bool metering = analysisRequested_;
    inputGain_.process(work, n, metering);

    const int points = runControlClock(work, block);
    rateControl_.update(rateReducer_, modulatedCutoff_[DSP::CFilterStage::LowPass], applyingLoad_);

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

    filterInSteps({input, work, view(parallel_), output}, n, points);
    updateModulationLinks();
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
    outputGain_.process(output, n, metering);

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
    shownLfo_ = lfoStepValue_;
    shownRingFrequency_ = ringControl_.effectiveFrequency();
}

double CKavren::targetCutoff(DSP::CFilterStage::Side side) const {
    const FilterSettings& s = filterSettings_[side];
    const DSP::SkewedRange& range = cutoffRange(side);
    const auto target = side == DSP::CFilterStage::LowPass ? DSP::CEnvelopeFollower::kLowPass
                                                           : DSP::CEnvelopeFollower::kHighPass;
    const double cutoff = range.toPlain(cutoffRamp_[side].value());
    double f = DSP::envelopeModulatedCutoff(range, cutoff, envelope_.value(target), s.envStrength);
    f = DSP::lfoModulatedCutoff(f, lfoStepValue_, s.lfoStrength);
    return std::clamp(f, 0.0, 22050.0);
}

// The envelope and the LFO over the block, step by step of the control clock; each step's end becomes a
// control point with the cut-off targets measured up to it. Returns the number of points.
int CKavren::runControlClock(DSP::StereoView work, const Block& block) {
    // The envelope follower listens only while a filter follows it or a display shows it; it starts
    // afresh when it is needed again, as after a reset, and the cut-off's glide smooths its way in.
    const bool listening = analysisRequested_ ||
                           filterSettings_[DSP::CFilterStage::LowPass].envStrength != 0.0f ||
                           filterSettings_[DSP::CFilterStage::HighPass].envStrength != 0.0f;
    if (listening != envelopeListening_) {
        envelopeListening_ = listening;
        envelope_.restart();
    }
    int points = 0;
    for (int at = 0; at < block.n;) {
        const int m = std::min(block.n - at, stepRemaining_);
        if (listening) envelope_.analyse(work.left + at, work.right + at, m);
        lfoStepSum_ += double(lfo_.advance(m, block.tempo, block.playing, block.samplePos + at)) * m;
        at += m;
        stepRemaining_ -= m;
        if (stepRemaining_ > 0) break;
        if (listening) envelope_.endStep();
        lfoStepValue_ = float(lfoStepSum_ / controlStep_.samples);
        lfoStepSum_ = 0.0;
        stepRemaining_ = controlStep_.samples;
        ControlPoint& point = controlPoints_[points++];
        point.at = at;
        for (auto side : {DSP::CFilterStage::LowPass, DSP::CFilterStage::HighPass}) {
            cutoffRamp_[side].advance(controlStep_.samples);
            point.cutoff[side] = targetCutoff(side);
            modulatedCutoff_[side] = float(point.cutoff[side]);
        }
    }
    return points;
}

// The filter stage runs up to each control point, where the filter control hands the filters their
// next designs, which they reach over the following step.
void CKavren::filterInSteps(const DSP::FilterStageBuffers& buffers, int n, int points) {
    auto from = [](DSP::StereoView v, int at) { return DSP::StereoView{v.left + at, v.right + at}; };
    int done = 0;
    for (int p = 0; p <= points; ++p) {
        const int end = p < points ? controlPoints_[p].at : n;
        if (end > done)
            filters_.process({from(buffers.input, done), from(buffers.work, done),
                              from(buffers.parallel, done), from(buffers.output, done)},
                             end - done);
        done = end;
        if (p < points) applyControlPoint(controlPoints_[p], controlStep_);
    }
}

void CKavren::applyControlPoint(const ControlPoint& point, const DSP::ControlStep& step) {
    for (auto side : {DSP::CFilterStage::LowPass, DSP::CFilterStage::HighPass}) {
        const FilterSettings& s = filterSettings_[side];
        filters_.updateControl(side, point.cutoff[side], s.resonance, s.width, inertia_, step);
    }
}

// One round of the filter control at once, without moves (after a reset).
void CKavren::runFilterControl() {
    ControlPoint point{0,
                       {targetCutoff(DSP::CFilterStage::LowPass), targetCutoff(DSP::CFilterStage::HighPass)}};
    for (auto side : {DSP::CFilterStage::LowPass, DSP::CFilterStage::HighPass})
        modulatedCutoff_[side] = float(point.cutoff[side]);
    DSP::ControlStep atOnce = controlStep_;
    atOnce.samples = 0;
    applyControlPoint(point, atOnce);
    rateControl_.update(rateReducer_, modulatedCutoff_[DSP::CFilterStage::LowPass], applyingLoad_);
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
    filters_.endCrossfade();
    restartFilters();
    lfo_.requestRealign();
    ringMod_.reset();
    dryWeight_ = 1.0f - dryWetAmount_;
}
