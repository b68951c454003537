#pragma once
// Helpers for views that animate between idle passes.

#include "gui/Geometry.h"

#include <cstdint>

namespace Mirda {

// Milliseconds of the timer service's clock.
uint64_t getTicks();
// Elapsed milliseconds since `lastTicks` / 60, clamped to [0, 1000]; updates `lastTicks`.
double stepTime(uint64_t& lastTicks);
CColor blendColor(const CColor& a, const CColor& b, double t);
// Moves each coordinate by (target − current) × t; snaps when the squared difference is at most 0.5.
CRect approachRect(const CRect& current, const CRect& target, double t);

} // namespace Mirda
