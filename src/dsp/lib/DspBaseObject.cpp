#include "dsp/lib/DspBaseObject.h"

#include <typeinfo>

namespace DSP {

void CDspBaseObject::processSample(float, float&) {}

void CDspBaseObject::processSample(float, float, float&, float&) {}

bool CDspBaseObject::isPlainBase() const {
    return typeid(*this) == typeid(CDspBaseObject);
}

void CDspBaseObject::processMono(const float* in, float* out, int n) {
    if (isPlainBase()) return;
    for (int i = 0; i < n; ++i) processSample(in[i], out[i]);
}

void CDspBaseObject::processStereo(StereoView in, StereoView out, int n) {
    if (isPlainBase()) return;
    for (int i = 0; i < n; ++i) processSample(in.left[i], in.right[i], out.left[i], out.right[i]);
}

void CDspBaseObject::processSampleInPlace(float& left, float& right) {
    const float inL = left;
    const float inR = right;
    processSample(inL, inR, left, right);
}

void CDspBaseObject::processSampleInPlace(float& x) {
    const float in = x;
    processSample(in, x);
}

void CDspBaseObject::processStereoInPlace(StereoView bus, int n) {
    processStereo(bus, bus, n);
}

} // namespace DSP
