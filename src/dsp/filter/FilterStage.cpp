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

void CFilterStage::updateControl(Side side, double targetHz, float resonanceAmount, float resonanceWidth,
                                 float inertia) {
    controls[side].update(targetHz, resonanceAmount, resonanceWidth, inertia, filters[side], peaks[side]);
}

void CFilterStage::resetControl(Side side, double cutoffHz, float resonanceAmount) {
    controls[side].reset(cutoffHz, resonanceAmount, filters[side], peaks[side]);
}

void CFilterStage::process(const FilterStageBuffers& buffers, int n) {
    const StereoView in = buffers.input, work = buffers.work, out = buffers.output;
    CStereoFilter& lowPass = filters[LowPass];
    CStereoFilter& highPass = filters[HighPass];
    if (filterMode == 0) {
        lowPass.process(work.left, work.right, out.left, out.right, n);
        highPass.process(out.left, out.right, out.left, out.right, n);
        peaks[LowPass].process(out.left, out.right, n);
        peaks[HighPass].process(out.left, out.right, n);
        return;
    }
    const StereoView branch = buffers.parallel;
    lowPass.process(work.left, work.right, out.left, out.right, n);
    highPass.process(in.left, in.right, branch.left, branch.right, n);
    peaks[LowPass].process(out.left, out.right, n);
    peaks[HighPass].process(branch.left, branch.right, n);
    for (int i = 0; i < n; ++i) out.left[i] += branch.left[i];
    for (int i = 0; i < n; ++i) out.right[i] += branch.right[i];
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
