#include "dsp/filter/FilterVoice.h"

#include "dsp/filter/ButterworthDesign.h"

#include <algorithm>

namespace DSP {

namespace {

// step = (to − from) / n, section by section.
void setStepBetween(const FilterDesign& from, const FilterDesign& to, int n, FilterDesign& step) {
    const double scale = 1.0 / n;
    step.sections = to.sections;
    for (int s = 0; s < to.sections; ++s) {
        BiquadCoefficients& c = step.section[s];
        const BiquadCoefficients& f = from.section[s];
        const BiquadCoefficients& t = to.section[s];
        c.b0 = (t.b0 - f.b0) * scale, c.b1 = (t.b1 - f.b1) * scale, c.b2 = (t.b2 - f.b2) * scale;
        c.a1 = (t.a1 - f.a1) * scale, c.a2 = (t.a2 - f.a2) * scale;
    }
}

} // namespace

CFilterVoice::CFilterVoice() : kernels(&filterKernels()) {}

void CFilterVoice::load(const FilterDesign& design, int rampSamples) {
    if (rampSamples <= 0 || design.sections != cascadeA.sections()) {
        cascadeA.load(design);
        if (complement) cascadeC.load(allPassOf(design));
        rampLeft = 0;
        return;
    }
    target = design;
    setStepBetween(cascadeA.design(), design, rampSamples, step);
    rampLeft = rampSamples;
    if (complement) moveAllPass();
}

// The all-pass C is only heard in the complement, so it follows the design only there.
void CFilterVoice::moveAllPass() {
    targetAllPass = allPassOf(target);
    setStepBetween(cascadeC.design(), targetAllPass, rampLeft, allPassStep);
}

void CFilterVoice::setComplement(bool on) {
    if (on && !complement) {
        cascadeC.load(allPassOf(cascadeA.design()));
        if (rampLeft > 0) moveAllPass();
    }
    complement = on;
}

FilterDesign CFilterVoice::allPass() const {
    return complement ? cascadeC.design() : allPassOf(cascadeA.design());
}

void CFilterVoice::setEngaged(bool on, int fadeSamples) {
    if (on == engagedTarget) return;
    engagedTarget = on;
    const float size = 1.0f / float(std::max(fadeSamples, 1));
    mixStep = on ? size : -size;
}

void CFilterVoice::run(const float* inL, const float* inR, float* outL, float* outR, int n) {
    int done = 0;
    if (rampLeft > 0) {
        done = std::min(n, rampLeft);
        kernels->runFilterRamp(cascadeA.view(), cascadeB.viewWith(cascadeA.design()), cascadeC.view(), step,
                               allPassStep, complement, inL, inR, outL, outR, done);
        rampLeft -= done;
        if (rampLeft == 0) {
            cascadeA.load(target);
            if (complement) cascadeC.load(targetAllPass);
        } else {
            cascadeA.move(step, done);
            if (complement) cascadeC.move(allPassStep, done);
        }
    }
    if (done < n)
        kernels->runFilter(cascadeA.view(), cascadeB.viewWith(cascadeA.design()), cascadeC.view(), complement,
                           inL + done, inR + done, outL + done, outR + done, n - done);
    sanitize();
}

// Pieces of the input are kept aside, so that input and output may coincide.
void CFilterVoice::fade(const float* inL, const float* inR, float* outL, float* outR, int n) {
    constexpr int kPiece = 64;
    float dryL[kPiece], dryR[kPiece];
    float m = mix;
    for (int start = 0; start < n; start += kPiece) {
        const int count = std::min(kPiece, n - start);
        std::copy_n(inL + start, count, dryL);
        std::copy_n(inR + start, count, dryR);
        run(inL + start, inR + start, outL + start, outR + start, count);
        for (int i = 0; i < count; ++i) {
            m = std::clamp(m + mixStep, 0.0f, 1.0f);
            outL[start + i] = dryL[i] + (outL[start + i] - dryL[i]) * m;
            outR[start + i] = dryR[i] + (outR[start + i] - dryR[i]) * m;
        }
    }
    mix = m;
    if (mix == 0.0f) clearState();
}

void CFilterVoice::process(const float* inL, const float* inR, float* outL, float* outR, int n) {
    if (mix == 1.0f && engagedTarget) {
        run(inL, inR, outL, outR, n);
    } else if (mix == 0.0f && !engagedTarget) {
        if (outL != inL) std::copy_n(inL, n, outL);
        if (outR != inR) std::copy_n(inR, n, outR);
    } else {
        fade(inL, inR, outL, outR, n);
    }
}

void CFilterVoice::clearState() {
    cascadeA.clearState();
    cascadeB.clearState();
    cascadeC.clearState();
}

bool CFilterVoice::sanitize() {
    const bool a = cascadeA.sanitize();
    const bool b = cascadeB.sanitize();
    const bool c = complement && cascadeC.sanitize();
    return a || b || c;
}

} // namespace DSP
