#include "dsp/filter/FilterStage.h"

#include <algorithm>

namespace DSP {

CFilterStage::CFilterStage() {
    filters[LowPass].setCutoff(22050.0);
    filters[HighPass].setCutoff(20.0);
    filters[HighPass].setHighPassMarker(true);
    for (int side : {LowPass, HighPass}) {
        filters[side].setOrderFromSlope(96);
        peaks[side].setType(CStereoBiquad::Peaking);
        peaks[side].setBandwidthInOctaves(true);
        peaks[side].setBandwidth(0.2f);
        controls[side].reset(filters[side].cutoff(), 0.0f, filters[side], peaks[side]);
    }
}

void CFilterStage::setSampleRate(double rate) {
    for (int side : {LowPass, HighPass}) {
        filters[side].setSampleRate(rate);
        peaks[side].setSampleRate(rate);
    }
}

void CFilterStage::setSlope(Side side, int dB) {
    filters[side].setOrderFromSlope(dB);
}

bool CFilterStage::setMode(int mode) {
    mode = mode == 1 ? 1 : 0;
    const bool changed = mode != filterMode;
    filterMode = mode;
    for (CStereoFilter& filter : filters) {
        filter.setDesignAsHighPass(mode == 1);
        filter.setOrderFromSlope(filter.order() * 12);
    }
    return changed;
}

namespace {

// Every design of a low-pass from here up is the 22000 Hz one, every high-pass design from here down
// the 10 Hz one: there the filters are fully open and leave the path.
constexpr double kOpenLowPassHz = 22000.0;
constexpr double kOpenHighPassHz = 10.0;
constexpr int kFadeSteps = 4;

} // namespace

void CFilterStage::updateControl(Side side, double targetHz, float resonanceAmount, float resonanceWidth,
                                 float inertia, const ControlStep& step) {
    controls[side].update(targetHz, resonanceAmount, resonanceWidth, inertia, filters[side], peaks[side],
                          step);
    const double hz = controls[side].smoothedCutoff();
    filters[side].setEngaged(side == LowPass ? hz < kOpenLowPassHz : hz > kOpenHighPassHz,
                             kFadeSteps * step.samples);
}

void CFilterStage::resetControl(Side side, double cutoffHz, float resonanceAmount) {
    controls[side].reset(cutoffHz, resonanceAmount, filters[side], peaks[side]);
    const double hz = controls[side].smoothedCutoff();
    filters[side].setEngaged(side == LowPass ? hz < kOpenLowPassHz : hz > kOpenHighPassHz, 0);
}

void CFilterStage::beginCrossfade(int samples) {
    for (int side : {LowPass, HighPass}) {
        outgoingVoices[side] = filters[side].voice();
        outgoingPeaks[side] = peaks[side];
    }
    outgoingMode = filterMode;
    fadeLeft = fadeLength = std::max(samples, 1);
}

void CFilterStage::Path::process(StereoView in, StereoView work, StereoView branch, StereoView out,
                                 int n) const {
    voices[LowPass]->process(work.left, work.right, out.left, out.right, n);
    if (mode == 0) {
        voices[HighPass]->process(out.left, out.right, out.left, out.right, n);
        CStereoBiquad::processSeries(*peaks[LowPass], *peaks[HighPass], out.left, out.right, n);
        return;
    }
    voices[HighPass]->process(in.left, in.right, branch.left, branch.right, n);
    peaks[LowPass]->process(out.left, out.right, n);
    peaks[HighPass]->process(branch.left, branch.right, n);
    for (int i = 0; i < n; ++i) out.left[i] += branch.left[i];
    for (int i = 0; i < n; ++i) out.right[i] += branch.right[i];
}

void CFilterStage::process(const FilterStageBuffers& buffers, int n) {
    if (fadeLeft > 0) {
        crossfade(buffers, n);
        return;
    }
    const Path live{{&filters[LowPass].voice(), &filters[HighPass].voice()},
                    {&peaks[LowPass], &peaks[HighPass]},
                    filterMode};
    live.process(buffers.input, buffers.work, buffers.parallel, buffers.output, n);
}

// Piece by piece the outgoing routing runs first into its own arrays (the output may be the work
// buffer), then the live one, and the output moves linearly from the first to the second.
void CFilterStage::crossfade(const FilterStageBuffers& buffers, int n) {
    constexpr int kPiece = 64;
    float oldL[kPiece], oldR[kPiece], branchL[kPiece], branchR[kPiece];
    const Path live{{&filters[LowPass].voice(), &filters[HighPass].voice()},
                    {&peaks[LowPass], &peaks[HighPass]},
                    filterMode};
    const Path outgoing{{&outgoingVoices[LowPass], &outgoingVoices[HighPass]},
                        {&outgoingPeaks[LowPass], &outgoingPeaks[HighPass]},
                        outgoingMode};
    const float step = 1.0f / float(fadeLength);
    for (int start = 0; start < n; start += kPiece) {
        const int m = std::min(kPiece, n - start);
        auto at = [start](StereoView v) { return StereoView{v.left + start, v.right + start}; };
        const StereoView in = at(buffers.input), work = at(buffers.work), out = at(buffers.output);
        if (fadeLeft > 0) outgoing.process(in, work, {branchL, branchR}, {oldL, oldR}, m);
        live.process(in, work, at(buffers.parallel), out, m);
        for (int i = 0; i < m && fadeLeft > 0; ++i, --fadeLeft) {
            const float g = 1.0f - float(fadeLeft) * step;
            out.left[i] = oldL[i] + (out.left[i] - oldL[i]) * g;
            out.right[i] = oldR[i] + (out.right[i] - oldR[i]) * g;
        }
    }
}

void CFilterStage::clearState() {
    for (int side : {LowPass, HighPass}) {
        filters[side].clearState();
        peaks[side].clearState();
    }
}

bool CFilterStage::sanitize() {
    bool cleared = false;
    for (int side : {LowPass, HighPass}) {
        cleared = filters[side].sanitize() || cleared;
        cleared = peaks[side].sanitize() || cleared;
    }
    return cleared;
}

} // namespace DSP
