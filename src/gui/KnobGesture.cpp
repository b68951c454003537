#include "gui/KnobGesture.h"

#include <cmath>

namespace Mirda {

void CKnobGesture::computeScale(int32_t buttons, float min, float max) {
    pixelRange = dragRange > 0 ? dragRange : 200.0;
    if (buttons & (kRButton | kShift)) pixelRange *= fineFactor;
    valuePerPixel = (max - min) / pixelRange;
}

void CKnobGesture::begin(const CPoint& where, int32_t buttons, double value, float min, float max) {
    firstPoint = where;
    lastPoint = CPoint(-1, -1);
    entryValue = value;
    // Start outside the band so that the drag continues where the displayed value sits.
    if (detent && std::fabs(value - detentCenter) > 1e-5)
        entryValue = value > detentCenter ? value + detentHalfWidth : value - detentHalfWidth;
    startButtons = buttons;
    computeScale(0, min, max);
    if (buttons & (kLButton | kRButton)) {
        computeScale(buttons, min, max);
        lastPoint = where;
    }
}

bool CKnobGesture::move(const CPoint& where, int32_t buttons, float min, float max, double& valueOut) {
    if (where == lastPoint) return false;
    lastPoint = where;
    const double delta = firstPoint.y - where.y;
    if (buttons != startButtons) {
        const double oldPerPixel = valuePerPixel;
        computeScale(buttons, min, max);
        entryValue += (oldPerPixel - valuePerPixel) * delta;
        startButtons = buttons;
    }
    valueOut = applyDetent(entryValue + delta * valuePerPixel);
    return true;
}

double CKnobGesture::applyDetent(double v) const {
    if (!detent) return v;
    if (v >= detentCenter - detentHalfWidth && v <= detentCenter + detentHalfWidth) return detentCenter;
    return v > detentCenter ? v - detentHalfWidth : v + detentHalfWidth;
}

} // namespace Mirda
