#pragma once
// The vertical drag of the knob family: value per pixel from the drag range, fine mode (right button
// or shift) that multiplies the range by the fine factor without a jump when it toggles mid-drag, and
// an optional detent band around a centre value.

#include "gui/Geometry.h"

#include <cstdint>

namespace Mirda {

struct CKnobGesture {
    float dragRange = 0.0f; // pixels for the full range; 0 means 200
    float fineFactor = 10.0f;
    bool detent = false;
    float detentCenter = 0.5f;
    float detentHalfWidth = 0.05f;

    CPoint firstPoint;
    CPoint lastPoint{-1, -1};
    double entryValue = 0.0;
    double pixelRange = 200.0;
    double valuePerPixel = 0.0;
    int32_t startButtons = 0;

    // Starts a drag at `where` from `value` within [min, max].
    void begin(const CPoint& where, int32_t buttons, double value, float min, float max);
    // The value for a pointer at `where`; false when the point did not move since the last call.
    bool move(const CPoint& where, int32_t buttons, float min, float max, double& valueOut);
    // Maps a raw value through the detent band (the identity without detent).
    double applyDetent(double v) const;

private:
    void computeScale(int32_t buttons, float min, float max);
};

} // namespace Mirda
